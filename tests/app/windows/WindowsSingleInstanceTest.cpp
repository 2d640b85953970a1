// The single instance between two real processes under wine: the second start finds the name
// taken, both register the same message number, and the wake request reaches the first copy's
// hidden top-level window. Each test uses a name of its own, since tests run side by side in one
// wine session; one test checks that the program itself uses the instance name.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/instance/windows/WindowsSingleInstance.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestLoop.h"

namespace orvix {
namespace {

using namespace std::chrono_literals;

std::string uniqueName() {
    static std::atomic<int> counter{0};
    return "Orvix test instance " + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++counter);
}

std::wstring wide(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

struct HelperSays {
    int taken = -1;
    unsigned msg = 0;
};

HelperSays parse(const std::string& output) {
    HelperSays says;
    std::sscanf(output.c_str(), "taken=%d msg=%u", &says.taken, &says.msg);
    return says;
}

class WindowsSingleInstanceTest : public ::testing::Test {
protected:
    std::function<void(const PostedMessage&)> recorder() {
        return [this](const PostedMessage& m) { received.push_back(m); };
    }

    test::TestLoop loop;  // pumps this thread's window messages while it waits
    std::vector<PostedMessage> received;
};

TEST_F(WindowsSingleInstanceTest, ASecondStartFindsTheNameTakenAndWakesTheFirst) {
    std::string name = uniqueName();
    WindowsSingleInstance first(name);
    ASSERT_FALSE(first.createMutex());  // the first copy
    ASSERT_TRUE(first.listen(loop, recorder()));

    test::ChildProcess second("instance_helper", {name, "second"});
    ASSERT_TRUE(second.started());
    ASSERT_TRUE(loop.runUntil([&] { return !received.empty() && second.waitFor(0ms); }, 30s));
    EXPECT_EQ(second.exitCode(), 0);
    HelperSays says = parse(second.output());
    EXPECT_EQ(says.taken, 1);
    uint32_t wakeMsg = first.registerWakeMessage();
    EXPECT_NE(wakeMsg, 0u);
    EXPECT_EQ(says.msg, wakeMsg);  // both processes hold the same number

    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].msg, wakeMsg);
    EXPECT_EQ(received[0].wParam, 45470u);
    EXPECT_EQ(received[0].lParam, 1);
}

TEST_F(WindowsSingleInstanceTest, TheNameIsFreeAgainOnceTheFirstHasGone) {
    std::string name = uniqueName();
    {
        WindowsSingleInstance first(name);
        ASSERT_FALSE(first.createMutex());
        EXPECT_EQ(parse(test::runChild("instance_helper", {name, "probe"}).output).taken, 1);
    }
    EXPECT_EQ(parse(test::runChild("instance_helper", {name, "probe"}).output).taken, 0);
}

TEST_F(WindowsSingleInstanceTest, AMutexThatCannotBeCreatedCountsAsAFirstCopy) {
    std::string name = uniqueName();
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, wide(name).c_str());  // the name, but no mutex
    ASSERT_NE(event, nullptr);
    WindowsSingleInstance instance(name);
    EXPECT_FALSE(instance.createMutex());
    CloseHandle(event);
}

TEST_F(WindowsSingleInstanceTest, TheListeningWindowIsHiddenTopLevelAndHandsOnlyTheWakeMessage) {
    std::string name = uniqueName();
    WindowsSingleInstance first(name);
    ASSERT_TRUE(first.listen(loop, recorder()));
    HWND window = first.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());  // not message-only: broadcasts reach it
    EXPECT_FALSE(IsWindowVisible(window));

    UINT wakeMsg = first.registerWakeMessage();
    PostMessageW(window, WM_USER + 1, 45470, 1);  // not the wake message
    PostMessageW(window, wakeMsg, 45470, 2);      // handed over as it is; the application decides
    PostMessageW(window, wakeMsg, 7, 1);
    ASSERT_TRUE(loop.runUntil([&] { return received.size() >= 2; }));
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].wParam, 45470u);
    EXPECT_EQ(received[0].lParam, 2);
    EXPECT_EQ(received[1].wParam, 7u);
}

TEST(WindowsSingleInstanceName, TheProgramUsesTheInstanceNameForMutexAndMessage) {
    auto instance = makeSingleInstance();
    EXPECT_FALSE(instance->createMutex());  // the program does not run in the tests' wine session
    SetLastError(ERROR_SUCCESS);
    HANDLE again = CreateMutexW(nullptr, FALSE, L"Quano Tessel V1.01");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    if (again) CloseHandle(again);
    EXPECT_EQ(instance->registerWakeMessage(), RegisterWindowMessageW(L"Quano Tessel V1.01"));
}

TEST(WindowsSingleInstance, NameTakenProbesWithoutTakingTheName) {
    std::string name = uniqueName();
    WindowsSingleInstance first(name), probe(name);
    EXPECT_FALSE(probe.nameTaken());
    EXPECT_FALSE(probe.nameTaken());  // asking made nothing
    EXPECT_FALSE(first.createMutex());
    EXPECT_TRUE(probe.nameTaken());
    EXPECT_TRUE(probe.createMutex());  // the probe took nothing: the name is still the first's
}

}  // namespace
}  // namespace orvix
