// apply and save against the simulated receiver, through the real program: the frames that reach
// the receiver, and each way the receiver can let the sequence down.

#include <gmock/gmock.h>

#include <fstream>

#include "tests/ctl/CtlProgram.h"

namespace orvix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

const char* const kStatusQuery = "OUT 04 02 01 A4 1F 00 00 3D";

// Keys 1 to 5 are device keys 2, 4, 1, 0, 3.
std::vector<std::string> frames(int key2, int key3, int key4, int key5) {
    return {kStatusQuery,          keyWriteLine(2, 0x4000), keyWriteLine(4, key2),
            keyWriteLine(1, key3), keyWriteLine(0, key4),   keyWriteLine(3, key5)};
}

const std::vector<std::string> kDefaults = frames(0x0008, 0x0001, 0x0000, 0x104B);

TEST_F(CtlTest, ApplyWritesTheDefaultsQuietlyWhenNotOnATerminal) {
    for (auto args : {std::vector<std::string>{"apply"}, std::vector<std::string>{"apply", "--reset"}}) {
        std::filesystem::remove(dir / "trace.txt");
        CtlResult r = run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_THAT(written(), ElementsAreArray(kDefaults));
    }
}

TEST_F(CtlTest, ApplyTakesCaptionsOfAnyLanguageEntryNamesAndRawCodes) {
    CtlResult r = run({"apply", "2=double click", "3=mnWeb_Back", "4=左键", "5=0x1045"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(written(), ElementsAreArray(frames(0x8000, 0x2224, 0x0000, 0x1045)));
    // "PAGE UP" and "BACK PAGER" share a code but are different entries: either name is fine.
    std::filesystem::remove(dir / "trace.txt");
    EXPECT_EQ(run({"apply", "2=page up", "3=Back Pager"}).code, 0);
    EXPECT_THAT(written(), ElementsAreArray(frames(0x104B, 0x104B, 0x0000, 0x104B)));
}

TEST_F(CtlTest, SaveWritesALayoutThatApplyReadsBackWithCommandLineOverrides) {
    std::string file = (dir / "layout.txt").string();
    CtlResult saved = run({"save", file, "2=PLAY/PAUSE", "5=0x1045"});
    EXPECT_EQ(saved.code, 0) << saved.err;
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text,
              "# orvixctl layout: KEY=FUNCTION, one a line; key 1 is fixed.\n"
              "# 2: PLAY/PAUSE\n2=mnMul_Play\n"
              "# 3: RIGHT BUTTON\n3=mnRight\n"
              "# 4: LEFT BUTTON\n4=mnLeft\n"
              "# 5: 0x1045\n5=0x1045\n");
    EXPECT_TRUE(written().empty());  // saving sends nothing

    EXPECT_EQ(run({"apply", "--from", file}).code, 0);
    EXPECT_THAT(written(), ElementsAreArray(frames(0x20CD, 0x0001, 0x0000, 0x1045)));

    // A hand-written file: comments, blanks around "=", CR LF line ends, a byte-order mark.
    std::ofstream(file, std::ios::binary) << "\xEF\xBB\xBF# mine\r\n\r\n  3 = mute \r\n# 4=STOP\r\n";
    std::filesystem::remove(dir / "trace.txt");
    EXPECT_EQ(run({"apply", "--from", file, "2=STOP"}).code, 0);
    EXPECT_THAT(written(), ElementsAreArray(frames(0x20B7, 0x20E2, 0x0000, 0x104B)));

    // save --from starts from a file, and the words override it.
    EXPECT_EQ(run({"save", (dir / "copy.txt").string(), "--from", file, "3=STOP"}).code, 0);
    std::ifstream copy(dir / "copy.txt");
    std::string copied((std::istreambuf_iterator<char>(copy)), std::istreambuf_iterator<char>());
    EXPECT_THAT(copied, HasSubstr("\n3=mnMul_Stop\n"));
}

TEST_F(CtlTest, AWrongAcknowledgementWritesTheSameKeyAgain) {
    control("ack-wrong 3");
    CtlResult r = run({"apply"});
    EXPECT_EQ(r.code, 0) << r.err;
    std::vector<std::string> expected = kDefaults;
    expected.insert(expected.begin() + 1, 3, expected[1]);  // key 1 written four times
    EXPECT_THAT(written(), ElementsAreArray(expected));
}

struct FailureCase {
    std::vector<std::string> control;
    std::string message;
    size_t framesWritten;
};

TEST_F(CtlTest, ApplyFailsNamingTheStepWhenTheReceiverLetsItDown) {
    const std::vector<FailureCase> cases{
        {{"unplug"}, "orvixctl: apply: no receiver found", 0},
        {{"unlink"}, "orvixctl: apply: the mouse is not linked to the receiver", 1},
        {{"ack-drop 1"},
         "orvixctl: apply: key 1 (CURSOR/SCROLL MODE): no acknowledgement from the receiver within 0.3 s",
         2},
        {{"delay 3000"}, "orvixctl: apply: the receiver did not answer the status query within 0.3 s", 1},
        {{"ack-wrong 1000000000"},
         "orvixctl: apply: key 1 (CURSOR/SCROLL MODE): the receiver acknowledged device key 3 instead of 2 until the "
         "timeout (0.3 s)",
         0},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.control[0]);
        std::filesystem::remove(dir / "trace.txt");
        control(c.control[0]);
        CtlResult r = run({"apply", "--timeout", "0.3"});
        EXPECT_EQ(r.code, 1);
        EXPECT_THAT(r.err, HasSubstr(c.message));
        EXPECT_EQ(r.out, "");
        if (c.framesWritten) {
            EXPECT_EQ(written().size(), c.framesWritten);
        }
        for (const std::string& frame : written()) EXPECT_TRUE(frame == kStatusQuery || frame == kDefaults[1]);
    }
}

TEST_F(CtlTest, ApplyWaitsThroughASlowReceiver) {
    control("delay 150");
    CtlResult r = run({"apply"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(written(), ElementsAreArray(kDefaults));
}

// The receiver goes, or the mouse loses its link, while a key is being written.
TEST_F(CtlTest, ApplyFailsWhenTheReceiverGoesOrTheLinkIsLostMidway) {
    for (std::string event : {"unplug", "unlink"}) {
        SCOPED_TRACE(event);
        std::filesystem::remove(dir / "trace.txt");
        control("delay 1000");
        auto running = start({"apply"});
        ASSERT_TRUE(traceHas(kDefaults[1]));  // key 1 is being written, its answer a second away
        control(event);
        CtlResult r = running->wait();
        EXPECT_EQ(r.code, 1);
        EXPECT_THAT(r.err, HasSubstr(event == "unplug" ? "orvixctl: apply: the receiver was removed while writing key"
                                                       : "orvixctl: apply: the mouse lost its link to the receiver "
                                                         "while writing key"));
    }
}

}  // namespace
}  // namespace orvix::test
