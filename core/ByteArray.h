#pragma once
// The unit of data between the receiver connection and its users.

#include <cstdint>
#include <vector>

namespace orvix {

using TByteDynArray = std::vector<uint8_t>;

}  // namespace orvix
