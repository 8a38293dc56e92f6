// The "Set Up Password" dialog on a real diary in a temporary folder: its
// controls and texts, the character rule, the previous-password check, and
// what each way through it does to the diary and to the stored value.
#include "privacy/get_password_dialog.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "privacy/password_verifier.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

std::string Rtf(const std::string& words) { return "{\\rtf1\\ansi\\deff0\\deftab720 " + words + "}"; }

const std::vector<std::pair<Date, std::string>> kDays = {
    {Date{2023, 6, 1}, Rtf("Kumquat orchard")},
    {Date{2023, 6, 2}, Rtf("Lighthouse keeper")},
    {Date{2023, 6, 3}, Rtf("Mandolin practice")},
};

class GetPasswordTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/quill-password-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        folder_ = std::string(tmpl) + "/";
        xb::xb_SetPassword("");
        OpenStorage();
        for (const auto& [day, text] : kDays) {
            storage_->FindDateRecord(day);
            storage_->SaveEntry(day, text);
        }
    }
    void TearDown() override {
        storage_.reset();
        xb::xb_SetPassword("");
        xb::xb_SetWriteFaultHook({});
        std::filesystem::remove_all(folder_);
    }
    void OpenStorage() {
        storage_ = std::make_unique<DiaryStorage>(folder_);
        storage_->DailyBackups = false;
        ASSERT_TRUE(storage_->OpenDiaryFile()) << storage_->LastError();
    }
    // Puts the diary under PASSWORD first, as an earlier change would have.
    void Protect(const std::string& password) {
        storage_->ChangePassword(password);
        stored_ = MakePasswordVerifier(password);
    }
    std::unique_ptr<TGetPassword> Dialog(const std::string& current) {
        TGetPassword::Setup setup;
        setup.currentPassword = current;
        setup.change.storage = storage_.get();
        setup.change.writeStoredPassword = [this](const std::string& value) {
            ++writes_;
            stored_ = value;
        };
        setup.showInformation = [this](const QString& text) { messages_.push_back(text.toStdString()); };
        setup.beep = [this] { ++beeps_; };
        auto d = std::make_unique<TGetPassword>(std::move(setup));
        d->show();
        d->activateWindow();
        QApplication::setActiveWindow(d.get());
        return d;
    }
    std::string FilesBytes() const {
        std::string all;
        for (const char* name : {kDiaryTableName, kDiaryMemoName, kDiaryKeyName}) {
            std::ifstream in(folder_ + name, std::ios::binary);
            all += std::string(std::istreambuf_iterator<char>(in), {});
        }
        return all;
    }
    // Reopens the diary and says whether PASSWORD reads every entry.
    bool DiaryOpensWith(const std::string& password) {
        storage_.reset();
        xb::xb_SetPassword("");
        OpenStorage();
        if (!storage_->UsePassword(password)) return false;
        if (password.empty() && storage_->Protected()) return false;
        for (const auto& [day, text] : kDays) {
            if (!storage_->FindDateRecord(day) || storage_->CurrentEntryText() != text) return false;
        }
        return true;
    }

    std::string folder_;
    std::unique_ptr<DiaryStorage> storage_;
    std::string stored_;
    int writes_ = 0;
    int beeps_ = 0;
    std::vector<std::string> messages_;
};

TEST_F(GetPasswordTest, ShowsEveryControlWithItsText) {
    auto d = Dialog("");
    EXPECT_EQ(d->windowTitle(), "Set Up Password");
    EXPECT_EQ(d->OldPasswordLabel->text(), "Old Password");
    EXPECT_EQ(d->NewPasswordLabel->text(), "New Password");
    EXPECT_EQ(d->HintLabel->text(), "(maximum 8 chars - A-Z, 0-9 and spaces)");
    EXPECT_EQ(d->NoneLabel->text(), "(none)");
    EXPECT_EQ(d->ProcessingLabel->text(), "Processing new password:");
    EXPECT_EQ(d->OkButton->text(), "OK");
    EXPECT_TRUE(d->OkButton->isDefault());
    EXPECT_EQ(d->CancelButton->text(), "Cancel");
    EXPECT_EQ(d->ClearButton->text(), "Clear (no password)");
    EXPECT_EQ(d->OldPassword->maxLength(), 8);
    EXPECT_EQ(d->NewPassword->maxLength(), 8);
    EXPECT_EQ(d->OldPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(d->OldPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, d->OldPassword),
              '*');
    EXPECT_EQ(d->NewPassword->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(d->Gauge1->isHidden());
    EXPECT_FALSE(d->windowFlags() & Qt::WindowCloseButtonHint);
    // No password yet: the old-password edit is hidden and "(none)" shows.
    EXPECT_TRUE(d->OldPassword->isHidden());
    EXPECT_FALSE(d->NoneLabel->isHidden());
    auto withPassword = Dialog("SECRET");
    EXPECT_FALSE(withPassword->OldPassword->isHidden());
    EXPECT_TRUE(withPassword->NoneLabel->isHidden());
}

struct Way {
    const char* name;
    const char* current;    // the diary's password before
    const char* oldTyped;
    const char* newTyped;
    bool clear;             // Clear instead of OK
    const char* message;    // "" = none
    const char* after;      // the password that opens the diary afterwards
    bool closes;
};

TEST_F(GetPasswordTest, EachWayThroughTheDialog) {
    const Way ways[] = {
        {"first password", "", "", "NEW PW 1", false, "Be sure to write down your new password: NEW PW 1", "NEW PW 1", true},
        {"change", "OLD", "OLD", "NEWER", false, "Be sure to write down your new password: NEWER", "NEWER", true},
        {"lower case", "OLD", "OLD", "lower 9", false, "Be sure to write down your new password: lower 9", "lower 9", true},
        {"clear", "OLD", "OLD", "", true, "Password cleared. No password now required.", "", true},
        {"ok with empty new", "OLD", "OLD", "", false, "Password cleared. No password now required.", "", true},
        {"clear without password", "", "", "", true, "", "", true},
        {"same password", "SAME", "SAME", "SAME", false, "", "SAME", true},
        {"wrong old", "OLD", "old", "NEWER", false, "Previous password is incorrect", "OLD", false},
        {"missing old", "OLD", "", "NEWER", false, "Previous password is required", "OLD", false},
        {"wrong old on clear", "OLD", "OLDX", "", true, "Previous password is incorrect", "OLD", false},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.name);
        TearDown();
        SetUp();
        if (*w.current) Protect(w.current);
        const std::string storedBefore = stored_;
        const std::string bytesBefore = FilesBytes();
        writes_ = 0;
        messages_.clear();
        auto d = Dialog(w.current);
        if (*w.current) QTest::keyClicks(d->OldPassword, w.oldTyped);
        QTest::keyClicks(d->NewPassword, w.newTyped);
        QTest::mouseClick(w.clear ? d->ClearButton : d->OkButton, Qt::LeftButton);

        EXPECT_EQ(messages_, *w.message ? std::vector<std::string>{w.message} : std::vector<std::string>{});
        EXPECT_EQ(d->isVisible(), !w.closes);
        const bool changed = w.closes && std::string(w.current) != w.after;
        EXPECT_EQ(d->CurrentPassword(), w.closes ? w.after : w.current);
        if (!w.closes) {
            EXPECT_EQ(writes_, 0);
            EXPECT_EQ(stored_, storedBefore);
        } else if (std::string(w.current).empty() && std::string(w.after).empty()) {
            EXPECT_EQ(stored_, "");
        } else {
            EXPECT_EQ(writes_, 1);
            EXPECT_TRUE(StoredPasswordAccepts(stored_, w.after));
        }
        if (!changed) {
            EXPECT_EQ(FilesBytes(), bytesBefore) << "the diary was re-written";
        }
        d.reset();
        EXPECT_TRUE(DiaryOpensWith(w.after));
        if (*w.after) {
            EXPECT_FALSE(DiaryOpensWith(std::string(w.after) + "x"));
        }
    }
}

TEST_F(GetPasswordTest, RefusedCharactersEmptyTheEditAndKeepTheFocus) {
    auto d = Dialog("");
    for (const char* bad : {"abc!", "\xe9t\xe9", "a-b", "tab\t"}) {
        SCOPED_TRACE(bad);
        messages_.clear();
        beeps_ = 0;
        d->NewPassword->setFocus();
        d->NewPassword->setText(QString::fromLatin1(bad));
        QTest::keyClick(d->NewPassword, Qt::Key_Tab);  // the focus leaves
        EXPECT_EQ(messages_, std::vector<std::string>{"Valid password characters are A-Z, 0-9 and spaces"});
        EXPECT_EQ(beeps_, 1);
        EXPECT_TRUE(d->NewPassword->text().isEmpty());
        EXPECT_TRUE(d->NewPassword->hasFocus());
    }
    // Every allowed character passes, and leaving an empty edit says nothing.
    messages_.clear();
    for (const char* good : {"AZaz09  ", "", "Q"}) {
        d->NewPassword->setFocus();
        d->NewPassword->setText(good);
        QTest::keyClick(d->NewPassword, Qt::Key_Tab);
        EXPECT_EQ(d->NewPassword->text(), good);
    }
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(storage_->Protected());
}

TEST_F(GetPasswordTest, ClickingOkAfterARefusedPasswordClearsNothing) {
    Protect("KEEP");
    auto d = Dialog("KEEP");
    QTest::keyClicks(d->OldPassword, "KEEP");
    QTest::keyClicks(d->NewPassword, "bad!");
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    EXPECT_EQ(messages_, std::vector<std::string>{"Valid password characters are A-Z, 0-9 and spaces"});
    EXPECT_TRUE(d->isVisible());
    d.reset();
    EXPECT_TRUE(DiaryOpensWith("KEEP"));
}

TEST_F(GetPasswordTest, TheGaugeFollowsTheEngine) {
    auto d = Dialog("");
    std::vector<int> seen;
    bool panelHidden = false, buttonsOff = false;
    QObject::connect(d->Gauge1, &QProgressBar::valueChanged, [&](int v) {
        seen.push_back(v);
        panelHidden = panelHidden || (d->PassPanel->isHidden() && d->Gauge1->isVisible());
        buttonsOff = buttonsOff || (!d->OkButton->isEnabled() && !d->CancelButton->isEnabled() &&
                                    !d->ClearButton->isEnabled());
    });
    QTest::keyClicks(d->NewPassword, "GAUGE");
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_TRUE(panelHidden);
    EXPECT_TRUE(buttonsOff);
    EXPECT_TRUE(d->Gauge1->isHidden());
}

TEST_F(GetPasswordTest, AFailedChangeIsReportedAndChangesNothing) {
    Protect("BEFORE");
    const std::string storedBefore = stored_;
    auto d = Dialog("BEFORE");
    xb::xb_SetWriteFaultHook([](const std::string&, std::size_t) { return ENOSPC; });
    QTest::keyClicks(d->OldPassword, "BEFORE");
    QTest::keyClicks(d->NewPassword, "AFTER");
    QTest::mouseClick(d->OkButton, Qt::LeftButton);
    xb::xb_SetWriteFaultHook({});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("could not be changed"), std::string::npos) << messages_[0];
    EXPECT_NE(messages_[0].find("as they were"), std::string::npos) << messages_[0];
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->OkButton->isEnabled());
    EXPECT_FALSE(d->PassPanel->isHidden());
    EXPECT_EQ(d->CurrentPassword(), "BEFORE");
    EXPECT_EQ(stored_, storedBefore);
    d.reset();
    EXPECT_TRUE(DiaryOpensWith("BEFORE"));
}

TEST_F(GetPasswordTest, CancelAndEscapeChangeNothing) {
    Protect("STAY");
    const std::string bytes = FilesBytes();
    for (bool escape : {false, true}) {
        auto d = Dialog("STAY");
        QTest::keyClicks(d->OldPassword, "STAY");
        QTest::keyClicks(d->NewPassword, "GONE");
        if (escape)
            QTest::keyClick(d.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(d->CancelButton, Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->result(), QDialog::Rejected);
        EXPECT_EQ(d->CurrentPassword(), "STAY");
    }
    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(FilesBytes(), bytes);
}

}  // namespace
}  // namespace quill
