#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "app/settings/RegistryValues.h"
#include "app/settings/linux/FileRegistry.h"

namespace orvix {
namespace {

namespace fs = std::filesystem;

// A writer killed at any moment leaves the old store or the new one, never a broken one.
TEST(FileRegistryKill, AWriterKilledMidWriteLeavesAWholeStore) {
    char pattern[] = "/tmp/orvix-kill.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    fs::path root = pattern;
    const std::string key = "software\\Quano\\OrvixMouseV1\\Config";
    {
        FileRegistry registry(root);
        std::unique_ptr<RegKey> k;
        ASSERT_TRUE(registry.createKey(key, k).ok());
        ASSERT_TRUE(k->set("Lang", stringValue("EN")).ok());
    }
    std::mt19937 random(11);
    for (int round = 0; round < 30; ++round) {
        pid_t child = fork();
        if (child == 0) {
            FileRegistry registry(root);
            std::unique_ptr<RegKey> k;
            for (int i = 0;; ++i) {
                if (!registry.createKey(key, k).ok()) _exit(2);
                // A long value, so a write takes long enough to be cut.
                k->set("Lang", stringValue(std::string(20000 + i % 7, static_cast<char>('A' + i % 26))));
                k->set("VID", dwordValue(static_cast<uint32_t>(i)));
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 3000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        FileRegistry registry(root);
        std::unique_ptr<RegKey> k;
        ASSERT_TRUE(registry.openKey(key, k).ok()) << "round " << round;
        RegValue v;
        ASSERT_TRUE(k->query("Lang", v).ok()) << "round " << round;
        std::string lang = textOfUtf16(v.data);
        ASSERT_TRUE(lang == "EN" || lang.size() >= 20000) << "round " << round;
    }
    fs::remove_all(root);
}

}  // namespace
}  // namespace orvix
