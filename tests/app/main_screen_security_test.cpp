// "Select or Change Password" and the gate on a real diary: the command's
// steps around the dialog, the gate judged by a protected table, and a
// diary whose password only guarded the window protected once unlocked.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/main_screen.h"
#include "app_test_support.h"
#include "privacy/password_verifier.h"
#include "privacy/privacy_panel.h"

#ifdef QUILLBOOK_HAVE_STORAGE
#include "app/look_for_all_dialog.h"
#include "privacy/get_password_dialog.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

std::string Rtf(const std::string& words) { return "{\\rtf1\\ansi\\deff0\\deftab720 " + words + "}"; }

class SecurityCommandTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string folder = test::FolderOf(dir);
    test::ScriptedBoxes boxes;

    void SetUp() override {
        xb::xb_SetPassword("");
        DiaryStorage s(folder);
        ASSERT_TRUE(s.OpenDiaryFile());
        s.FindDateRecord(Today());
        s.SaveEntry(Today(), Rtf("Nightingale today"));
        s.FindDateRecord(Date{2020, 2, 2});
        s.SaveEntry(Date{2020, 2, 2}, Rtf("Ocelot long ago"));
    }
    void TearDown() override { xb::xb_SetPassword(""); }

    std::unique_ptr<TMainScreen> Window() {
        xb::xb_SetPassword("");
        MainScreenSetup setup;
        setup.diaryFolder = folder;
        return std::make_unique<TMainScreen>(setup, MakeDiaryStore());
    }
    std::string Ini() {
        std::ifstream in(folder + "QB.INI", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string StoredValue() {
        const std::string ini = Ini();
        const auto at = ini.find("Password=");
        if (at == std::string::npos) return {};
        return ini.substr(at + 9, ini.find('\n', at) - at - 9);
    }
    // Runs the menu command, filling the dialog when it shows.
    void RunCommand(TMainScreen& m, const std::string& oldPw, const std::string& newPw, bool clear = false) {
        bool filled = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<TGetPassword*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            filled = true;
            if (!d->OldPassword->isHidden()) d->OldPassword->setText(QString::fromStdString(oldPw));
            d->NewPassword->setText(QString::fromStdString(newPw));
            (clear ? d->ClearButton : d->OkButton)->click();
            if (d->isVisible()) d->reject();
        });
        m.mnuSecurity->trigger();
        EXPECT_TRUE(filled);
    }
    bool DiaryOpensWith(const std::string& password) {
        xb::xb_SetPassword("");
        DiaryStorage s(folder);
        EXPECT_TRUE(s.OpenDiaryFile());
        if (!s.UsePassword(password) || (password.empty() && s.Protected())) return false;
        return s.FindDateRecord(Date{2020, 2, 2}) && s.CurrentEntryText() == Rtf("Ocelot long ago");
    }
    void Unlock(TMainScreen& m, const std::string& password) {
        m.PrivacyPanel->Pass->setText(QString::fromStdString(password));
        m.PrivacyPanel->BitBtn1->click();
    }
};

TEST_F(SecurityCommandTest, SetChangeAndClearThroughTheMenu) {
    auto m = Window();
    EXPECT_FALSE(m->Locked());
    ASSERT_TRUE(m->mnuSecurity->isEnabled());

    RunCommand(*m, "", "FIRST");
    EXPECT_EQ(m->DiaryPassword, "FIRST");
    EXPECT_TRUE(StoredPasswordAccepts(StoredValue(), "FIRST"));
    EXPECT_TRUE(IsPasswordVerifier(StoredValue()));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Be sure to write down your new password: FIRST");
    // The index is back and the current day found again.
    EXPECT_TRUE(m->EntryExists);

    RunCommand(*m, "FIRST", "Second");
    EXPECT_EQ(m->DiaryPassword, "Second");
    EXPECT_TRUE(m->EntryExists);
    m.reset();
    EXPECT_FALSE(DiaryOpensWith("FIRST"));
    EXPECT_TRUE(DiaryOpensWith("Second"));

    // A new start is locked; the gate takes only the new password.
    m = Window();
    EXPECT_TRUE(m->Locked());
    boxes.shown.clear();
    Unlock(*m, "FIRST");
    EXPECT_TRUE(m->Locked());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kWrongPasswordMessage);
    Unlock(*m, "Second");
    EXPECT_FALSE(m->Locked());
    EXPECT_TRUE(m->EntryExists);

    boxes.shown.clear();
    RunCommand(*m, "Second", "", true);
    EXPECT_EQ(m->DiaryPassword, "");
    EXPECT_EQ(StoredValue(), "");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Password cleared. No password now required.");
    m.reset();
    EXPECT_TRUE(DiaryOpensWith(""));
    m = Window();
    EXPECT_FALSE(m->Locked());
}

TEST_F(SecurityCommandTest, AProtectedTableJudgesThePasswordWhenThePreferencesLagBehind) {
    // As a kill between the re-written diary and the preferences leaves it:
    // the table under NEW, "QB.INI" still naming OLD.
    {
        DiaryStorage s(folder);
        ASSERT_TRUE(s.OpenDiaryFile());
        s.ChangePassword("NEW");
    }
    std::ofstream(folder + "QB.INI") << "[Security]\nPassword=" << MakePasswordVerifier("OLD") << "\n";
    auto m = Window();
    EXPECT_TRUE(m->Locked());
    Unlock(*m, "OLD");
    EXPECT_TRUE(m->Locked());
    Unlock(*m, "NEW");
    EXPECT_FALSE(m->Locked());
    EXPECT_TRUE(m->EntryExists);
    // The preferences were put right.
    EXPECT_TRUE(StoredPasswordAccepts(StoredValue(), "NEW"));

    // No stored password at all, but a protected table: still locked.
    m.reset();
    std::ofstream(folder + "QB.INI") << "[Security]\nPassword=\n";
    m = Window();
    EXPECT_TRUE(m->Locked());
    Unlock(*m, "");
    EXPECT_TRUE(m->Locked());
    Unlock(*m, "NEW");
    EXPECT_FALSE(m->Locked());
}

TEST_F(SecurityCommandTest, APasswordThatOnlyGuardedTheWindowProtectsTheEntriesOnceUnlocked) {
    std::ofstream(folder + "QB.INI") << "[Security]\nPassword=" << MakePasswordVerifier("GUARD") << "\n";
    EXPECT_TRUE(DiaryOpensWith(""));
    auto m = Window();
    EXPECT_TRUE(m->Locked());
    Unlock(*m, "GUARD");
    EXPECT_FALSE(m->Locked());
    m.reset();
    EXPECT_FALSE(DiaryOpensWith(""));
    EXPECT_TRUE(DiaryOpensWith("GUARD"));
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder)) {
        if (!f.is_regular_file()) continue;
        std::ifstream in(f.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(bytes.find("Ocelot"), std::string::npos) << f.path();
        EXPECT_EQ(bytes.find("Nightingale"), std::string::npos) << f.path();
    }
}

TEST_F(SecurityCommandTest, CancelLeavesEverythingAsItWas) {
    auto m = Window();
    const std::string ini = Ini();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TGetPassword*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        shown = true;
        d->NewPassword->setText("NEVER");
        d->CancelButton->click();
    });
    m->mnuSecurity->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(m->DiaryPassword, "");
    EXPECT_EQ(Ini(), ini);
    EXPECT_TRUE(m->EntryExists);
    m.reset();
    EXPECT_TRUE(DiaryOpensWith(""));
}

TEST_F(SecurityCommandTest, SearchCommandsWaitForTheGateAndThenReadTheProtectedEntries) {
    {
        DiaryStorage s(folder);
        ASSERT_TRUE(s.OpenDiaryFile());
        s.ChangePassword("KEY");
    }
    std::ofstream(folder + "QB.INI") << "[Security]\nPassword=" << MakePasswordVerifier("KEY") << "\n";
    auto m = Window();
    ASSERT_TRUE(m->Locked());
    EXPECT_FALSE(m->mnuFindentrycontaining->isEnabled());
    EXPECT_FALSE(m->mnuFindNextBig->isEnabled());
    Unlock(*m, "KEY");
    ASSERT_FALSE(m->Locked());
    EXPECT_TRUE(m->mnuFindentrycontaining->isEnabled());
    EXPECT_FALSE(m->mnuFindNextBig->isEnabled());

    bool asked = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TLookForAll*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        asked = true;
        d->LookForText->setText("ocelot");
        d->OKButton->click();
    });
    m->mnuFindentrycontaining->trigger();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(m->CurrentDate, (Date{2020, 2, 2}));
    EXPECT_TRUE(m->mnuFindNextBig->isEnabled());
}

}  // namespace
}  // namespace quill
#endif
