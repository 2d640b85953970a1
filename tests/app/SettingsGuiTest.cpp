#include <gtest/gtest.h>

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/RegistrySettings.h"
#include "app/settings/RegistryValues.h"
#include "msKey/TfmKeyDef.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/MemoryRegistry.h"

namespace orvix::test {
namespace {

class StoredSettings : public MainWindowFixture {
protected:
    void startWith(MemoryRegistry::Values values) {
        auto registry = std::make_unique<MemoryRegistry>();
        registry->keys[MemoryRegistry::lower(kConfigKey)] = std::move(values);
        store = registry.get();
        settings = std::make_unique<RegistrySettings>(
            std::move(registry), kConfigKey, std::make_unique<FileLessAutoStart>(autoRun), "/opt/orvix/orvix-mouse");
        acceptErrorBoxes();  // the creation step's
        start({"-Quano"});
    }
    MemoryRegistry* store = nullptr;
    std::string autoRun;
};

TEST_F(StoredSettings, IdentifiersAreInPlaceBeforeTheFirstScan) {
    autoRun = "C:\\Other\\program.exe";
    startWith({{"vid", dwordValue(0x11234)}, {"pid", dwordValue(0x0001)}});
    EXPECT_EQ(fmMain->fmHid->connection().vid, 0x1234);
    EXPECT_EQ(fmMain->fmHid->connection().pid, 0x0001);
    EXPECT_TRUE(fmMain->mnAutoRun->isChecked()) << "another program's entry still ticks";
    EXPECT_TRUE(errors.empty());
}

TEST_F(StoredSettings, LangStoredAsADwordEndsTheCreationStepWithTheError) {
    autoRun = "/opt/orvix/orvix-mouse";
    startWith({{"lang", dwordValue(7)}});
    settle(50);
    EXPECT_EQ(errors, std::vector<std::string>{"Invalid data type for 'Lang'"});
    EXPECT_TRUE(fmMain->isVisible()) << "the window still opens";
    EXPECT_EQ(fmMain->btReset->text(), "RESET") << "built-in captions";
    EXPECT_FALSE(fmMain->mnAutoRun->isChecked()) << "never read";
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "DRAG/MOVE") << "every row has its default before any step can fail";
    EXPECT_FALSE(fmMain->notificationMode()) << "the command line was not read";
}

TEST_F(StoredSettings, TickingAutoRunWritesThisProgramAndUntickingRemovesIt) {
    autoRun = "C:\\Other\\program.exe";
    startWith({});
    ASSERT_TRUE(fmMain->mnAutoRun->isChecked());
    fmMain->mnAutoRun->trigger();  // the click flips the mark first
    EXPECT_FALSE(fmMain->mnAutoRun->isChecked());
    EXPECT_EQ(autoRun, "");
    fmMain->mnAutoRun->trigger();
    EXPECT_EQ(autoRun, "/opt/orvix/orvix-mouse");
}

TEST_F(StoredSettings, SwitchingLanguageStoresTheCode) {
    startWith({});
    fmMain->mnLang_En->setData(QString("XX"));
    fmMain->mnLang_En->trigger();
    RegValue v = store->keys[MemoryRegistry::lower(kConfigKey)]["lang"];
    EXPECT_EQ(textOfUtf16(v.data), "XX");
    EXPECT_EQ(v.type, kRegSz);
}

}  // namespace
}  // namespace orvix::test
