#include <gtest/gtest.h>

#include "tests/hidMain/ConnectionFixture.h"

namespace orvix::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct FrameCase {
    uint32_t argument;
    Bytes frame;
};

class A4Frames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(A4Frames, CarryTheLowThreeArgumentBytesAndTheirChecksum) {
    EXPECT_EQ(a4Frame(GetParam().argument), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(Connection, A4Frames,
                         ::testing::Values(FrameCase{0x1F, {0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}},
                                           FrameCase{0x123402, {0x02, 0x01, 0xA4, 0x02, 0x34, 0x12, 0x14}},
                                           FrameCase{0x01FFFFFF, {0x02, 0x01, 0xA4, 0xFF, 0xFF, 0xFF, 0x5F}},
                                           FrameCase{0, {0x02, 0x01, 0xA4, 0x00, 0x00, 0x00, 0x5C}},
                                           FrameCase{0x5C, {0x02, 0x01, 0xA4, 0x5C, 0x00, 0x00, 0x00}},
                                           // The five key writes of the default assignment: index + 256 * swapped code.
                                           FrameCase{0x004002, {0x02, 0x01, 0xA4, 0x02, 0x40, 0x00, 0x1A}},
                                           FrameCase{0x080004, {0x02, 0x01, 0xA4, 0x04, 0x00, 0x08, 0x50}},
                                           FrameCase{0x010001, {0x02, 0x01, 0xA4, 0x01, 0x00, 0x01, 0x5A}},
                                           FrameCase{0x000000, {0x02, 0x01, 0xA4, 0x00, 0x00, 0x00, 0x5C}},
                                           FrameCase{0x4B1003, {0x02, 0x01, 0xA4, 0x03, 0x10, 0x4B, 0xFE}}));

struct SendCase {
    const char* name;
    Bytes data;
    Bytes report;     // what reaches the device
    const char* log;  // the console line after it
};

class SendData : public ConnectionFixture, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendData, WritesOneEightByteReportAndLogsTheWholeData) {
    create({receiver("R")});
    settle();
    console.lines.clear();
    EXPECT_TRUE(conn->uSendData(GetParam().data));
    EXPECT_EQ(fake->writes("R"), std::vector<Bytes>{GetParam().report});
    EXPECT_EQ(console.lines, std::vector<std::string>{GetParam().log});
}

INSTANTIATE_TEST_SUITE_P(
    Connection, SendData,
    ::testing::Values(SendCase{"Empty", {}, {4, 0, 0, 0, 0, 0, 0, 0}, "W: "},
                      SendCase{"Seven", {1, 2, 3, 4, 5, 6, 7}, {4, 1, 2, 3, 4, 5, 6, 7}, "W: 01 02 03 04 05 06 07 "},
                      SendCase{"NineCutToSevenButLoggedWhole",
                               {1, 2, 3, 4, 5, 6, 7, 8, 9},
                               {4, 1, 2, 3, 4, 5, 6, 7},
                               "W: 01 02 03 04 05 06 07 08 09 "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConnectionFixture, SendWithoutAReceiverFailsWithoutWritingOrLogging) {
    create({});
    settle();
    EXPECT_FALSE(conn->uSendA4(0x1F));
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(ConnectionFixture, FailedOrShortWriteFailsWithoutALogLine) {
    create({receiver("R")});
    settle();
    console.lines.clear();
    fake->failWrites(true);
    EXPECT_FALSE(conn->uSendA4(0x1F));
    fake->failWrites(false);
    fake->shortWrites(true);
    EXPECT_FALSE(conn->uSendA4(0x1F)) << "seven bytes written are not a report";
    EXPECT_TRUE(console.lines.empty());
}

TEST_F(ConnectionFixture, ReportIdIsReadAtEachWrite) {
    create({receiver("R")});
    settle();
    conn->reportID = 7;
    ASSERT_TRUE(conn->uSendA4(0x1F));
    EXPECT_EQ(fake->writes("R").back(), (Bytes{7, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}));
}

}  // namespace
}  // namespace orvix::test
