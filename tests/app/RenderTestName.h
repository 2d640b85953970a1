#pragma once
// One render of app/ArtworkRenders.h in a test's name and messages: by its file name.

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "app/ArtworkRenders.h"

namespace orvix::artwork {

inline void PrintTo(const Render& render, std::ostream* out) { *out << render.file; }

}  // namespace orvix::artwork

namespace orvix::test {

inline std::string renderTestName(const testing::TestParamInfo<artwork::Render>& info) {
    std::string name;
    for (char c : info.param.file) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

}  // namespace orvix::test
