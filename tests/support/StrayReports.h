#pragma once
// Input reports no receiver should send, for the hostile-receiver tests of both tiers.

#include <cstdint>
#include <vector>

namespace orvix::test {

// Every length from 0 to 64 under report IDs the receiver's descriptor does not have and under the
// configuration collection's own ID with every length but its own, then its own length with kinds
// no receiver sends. None of it is a status report, however it is cut (a longer report is cut to
// the collection's length on the way, as hidraw cuts it, and no data byte names a status kind).
inline std::vector<std::vector<uint8_t>> strayReports() {
    std::vector<std::vector<uint8_t>> reports;
    for (uint8_t id : {0x00, 0x01, 0x02, 0x03, 0x05, 0x7F, 0xFF, 0x04}) {
        for (size_t length = 0; length <= 64; ++length) {
            if (id == 0x04 && length == 8) continue;
            std::vector<uint8_t> r(length);
            for (size_t i = 0; i < length; ++i) r[i] = static_cast<uint8_t>(0x90 + (i * 7 + length) % 16);
            if (length) r[0] = id;
            reports.push_back(r);
        }
    }
    for (uint8_t kind : {0x00, 0x7F, 0x82, 0x88, 0x8B, 0xFF}) reports.push_back({0x04, kind, 0, 2, 0, 0, 0, 0});
    return reports;
}

}  // namespace orvix::test
