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

class FileLessAutoStart final : public AutoStart {
public:
    explicit FileLessAutoStart(std::string& command) : command_(command) {}
    bool open() override { return true; }
    bool present() override { return !command_.empty(); }
    bool write(const std::string& path, std::string&) override {
        command_ = path;
        return true;
    }
    void remove() override { command_.clear(); }

private:
    std::string& command_;
};

class StoredSettings : public MainWindowFixture {
protected:
    void startWith(MemoryRegistry::Values values) {
        auto registry = std::make_unique<MemoryRegistry>();
        registry->keys[MemoryRegistry::lower(kConfigKey)] = std::move(values);
        store = registry.get();
        settings = std::make_unique<RegistrySettings>(std::move(registry), kConfigKey,
                                                      std::make_unique<FileLessAutoStart>(autoRun), "/opt/orvix/orvix-mouse");
        // The error box of the creation step: read and close it.
        QTimer::singleShot(0, [this] { closeErrorBox(); });
        start({"-Quano"});
    }
    void closeErrorBox() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                errors.push_back(box->text().toStdString());
                box->accept();
                return;
            }
        if (errors.empty() && ++tries < 100) QTimer::singleShot(5, [this] { closeErrorBox(); });
    }
    MemoryRegistry* store = nullptr;
    std::string autoRun;
    std::vector<std::string> errors;
    int tries = 0;
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
    EXPECT_EQ(fmMain->keys()[1]->functionName(), "Key") << "the reset did not run";
    EXPECT_FALSE(fmMain->notificationMode()) << "nor the command line";
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
