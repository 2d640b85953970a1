// Reports through the kernel: what the connection writes reaches the receiver unchanged, and what
// the receiver answers reaches the owner on the main thread.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <utility>

#include "tests/kernel/KernelFixture.h"

namespace orvix::test {
namespace {

class Exchange : public KernelFixture {
protected:
    void SetUp() override {
        KernelFixture::SetUp();
        ASSERT_TRUE(receiver.plug()) << receiver.error();
        connect();
        ASSERT_TRUE(waitHeld(true));
    }
};

TEST_F(Exchange, WrittenReportArrivesByteForByteAndItsAnswerComesOnTheMainThread) {
    // The owner's handler, seen from outside: the report ID comes apart from the data.
    THidDevice* dev = conn->heldDevice();
    std::vector<std::pair<uint8_t, uint16_t>> delivered;
    THidDataEvent owner = dev->OnData();
    dev->setOnData([&delivered, owner](THidDevice& d, uint8_t id, const uint8_t* data, uint16_t size) {
        delivered.emplace_back(id, size);
        owner(d, id, data, size);
    });

    ASSERT_TRUE(conn->uSendA4(0x1F));
    ASSERT_TRUE(receiver.waitForOutputs(1));
    EXPECT_EQ(receiver.outputs(), (std::vector<Bytes>{{0x04, 0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3D}}));

    ASSERT_TRUE(waitReceived(1));
    EXPECT_EQ(received[0], (TByteDynArray{0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(receivedOn[0], mainThread);
    EXPECT_EQ(delivered, (std::vector<std::pair<uint8_t, uint16_t>>{{0x04, 7}}));
}

TEST_F(Exchange, ReportTheReceiverSendsByItselfIsDelivered) {
    ASSERT_TRUE(receiver.sendInput({0x04, 0x81, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(waitReceived(1));
    EXPECT_EQ(received, (std::vector<TByteDynArray>{{0x81, 0, 0, 0, 0, 0, 0}}));
}

struct AnswerCase {
    const char* name;
    bool linked;
    int ackWrong;
    int ackDrop;
    uint8_t reportId;
    TByteDynArray frame;                  // what follows the report ID
    std::optional<TByteDynArray> answer;  // as delivered, without the report ID
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

const TByteDynArray linkedStatus{0x80, 0, 0, 0, 0, 0, 0};

const AnswerCase answerCases[] = {
    {"StatusWhileLinked", true, 0, 0, 4, a4Frame(0x1F), linkedStatus},
    {"StatusWhileUnlinked", false, 0, 0, 4, a4Frame(0x1F), TByteDynArray{0x81, 0, 0, 0, 0, 0, 0}},
    {"KeyWriteWhileLinked", true, 0, 0, 4, a4Frame(0x030203), TByteDynArray{0x89, 0x00, 0x03, 0, 0, 0, 0}},
    {"KeyWriteWhileUnlinked", false, 0, 0, 4, a4Frame(0x03), std::nullopt},
    {"WrongAcknowledgement", true, 1, 0, 4, a4Frame(0x03), TByteDynArray{0x89, 0x00, 0x04, 0, 0, 0, 0}},
    {"WrongAcknowledgementWrapsAtFive", true, 1, 0, 4, a4Frame(0x04), TByteDynArray{0x89, 0x00, 0x00, 0, 0, 0, 0}},
    {"DroppedAcknowledgement", true, 0, 1, 4, a4Frame(0x03), std::nullopt},
    {"BadChecksum", true, 0, 0, 4, {0x02, 0x01, 0xA4, 0x1F, 0x00, 0x00, 0x3E}, std::nullopt},
    {"OtherReportId", true, 0, 0, 5, a4Frame(0x1F), std::nullopt},
};

class Answers : public Exchange, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(Answers, ReceiverAnswersAsTheSimulatedReceiverDoes) {
    const AnswerCase& c = GetParam();
    receiver.setLinked(c.linked);
    receiver.ackWrong(c.ackWrong);
    receiver.ackDrop(c.ackDrop);
    conn->reportID = c.reportId;
    ASSERT_TRUE(conn->uSendData(c.frame));
    ASSERT_TRUE(receiver.waitForOutputs(1));
    Bytes sent{c.reportId};
    sent.insert(sent.end(), c.frame.begin(), c.frame.end());
    EXPECT_EQ(receiver.outputs()[0], sent);

    // A status query after it: the receiver answers in order, so whatever arrives before the
    // query's answer is the answer to the frame above.
    receiver.setLinked(true);
    conn->reportID = 4;
    ASSERT_TRUE(conn->uSendA4(0x1F));
    std::vector<TByteDynArray> expected;
    if (c.answer) expected.push_back(*c.answer);
    expected.push_back(linkedStatus);
    ASSERT_TRUE(waitReceived(expected.size()));
    EXPECT_EQ(received, expected);
}

INSTANTIATE_TEST_SUITE_P(Kernel, Answers, ::testing::ValuesIn(answerCases),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

}  // namespace
}  // namespace orvix::test
