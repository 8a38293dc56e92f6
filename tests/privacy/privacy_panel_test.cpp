#include "privacy/privacy_panel.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>

#include "privacy/password_text.h"

namespace quill {
namespace {

TEST(PrivacyPanel, ShowsThePromptAndMasksWithStars) {
    TPrivacyPanel panel;
    EXPECT_EQ(panel.Label1->text(),
              "This diary requires a password. Please enter your password and press OK");
    EXPECT_TRUE(panel.Label1->font().bold());
    EXPECT_EQ(panel.Label1->font().pixelSize(), 16);
    EXPECT_EQ(panel.Pass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(panel.Pass->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                             panel.Pass),
              '*');
    EXPECT_EQ(panel.BitBtn1->text(), "OK");
    EXPECT_TRUE(panel.BitBtn1->isDefault());
    EXPECT_EQ(panel.BitBtn2->text(), "Close");
}

TEST(PrivacyPanel, OkAsksTheCheckWithTheTypedBytes) {
    TPrivacyPanel panel;
    std::vector<std::string> asked;
    panel.SetPasswordCheck([&](const std::string& typed) {
        asked.push_back(typed);
        return typed == "right";
    });
    QSignalSpy accepted(&panel, &TPrivacyPanel::PasswordAccepted);
    QSignalSpy rejected(&panel, &TPrivacyPanel::PasswordRejected);

    panel.Pass->setText("wrong");
    panel.BitBtn1->click();
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(panel.Pass->text(), "wrong");

    panel.Pass->setText("right");
    emit panel.Pass->returnPressed();
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_TRUE(panel.Pass->text().isEmpty());
    EXPECT_EQ(asked, (std::vector<std::string>{"wrong", "right"}));
}

TEST(PrivacyPanel, WithoutACheckNothingIsAccepted) {
    TPrivacyPanel panel;
    QSignalSpy rejected(&panel, &TPrivacyPanel::PasswordRejected);
    panel.Pass->setText("");
    panel.BitBtn1->click();
    EXPECT_EQ(rejected.count(), 1);
}

TEST(PrivacyPanel, CloseIsPassedOnToTheWindow) {
    TPrivacyPanel panel;
    QSignalSpy close(&panel, &TPrivacyPanel::CloseRequested);
    panel.BitBtn2->click();
    EXPECT_EQ(close.count(), 1);
}

TEST(PasswordText, TypedTextBecomesWindows1252Bytes) {
    EXPECT_EQ(PasswordBytes("Ab1 "), "Ab1 ");
    EXPECT_EQ(PasswordBytes(QString::fromUtf8("café")), "caf\xE9");
    EXPECT_EQ(PasswordBytes(QString::fromUtf8("€…Ÿ")), "\x80\x85\x9F");
    EXPECT_EQ(PasswordBytes(QString::fromUtf8("日")), "?");
    EXPECT_EQ(PasswordBytes(QString::fromUtf8("a\U0001F600")), "a??");
    EXPECT_EQ(PasswordFromBytes("\x80\xE9"), QString::fromUtf8("€é"));
    // Every byte comes back, the five the code page leaves unused included.
    for (int b = 0x20; b < 0x100; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(PasswordBytes(PasswordFromBytes(one)), one) << b;
    }
}

}  // namespace
}  // namespace quill
