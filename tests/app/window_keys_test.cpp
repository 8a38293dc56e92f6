// The main window from the keyboard: menus by mnemonic and F10, a visible
// focus on the action bar's flat buttons, and one whole session typed the
// way a user works.
#include <QMenu>
#include <QMenuBar>

#include "app/diary_window_fixture.h"
#include "privacy/privacy_panel.h"

namespace quill {
namespace {

class WindowKeysTest : public test::DiaryWindowTest {
protected:
    // The popup the menu bar shows, if any.
    QMenu* OpenMenu() {
        QApplication::processEvents();
        for (QMenu* m : {W().mnuFile, W().mnuEdit, W().mnuUtilities, W().mnuHelp})
            if (m->isVisible()) return m;
        return nullptr;
    }
    void CloseMenus() {
        if (QMenu* m = OpenMenu()) m->close();
        W().menuBar()->setActiveAction(nullptr);
        QApplication::processEvents();
    }
};

TEST_F(WindowKeysTest, MenusOpenFromTheKeyboard) {
    W().activateWindow();
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QMenu* menu;
    } cases[] = {
        {Qt::Key_F, Qt::AltModifier, W().mnuFile},     {Qt::Key_E, Qt::AltModifier, W().mnuEdit},
        {Qt::Key_U, Qt::AltModifier, W().mnuUtilities}, {Qt::Key_H, Qt::AltModifier, W().mnuHelp},
        {Qt::Key_F10, Qt::NoModifier, W().mnuFile},
    };
    for (const Case& c : cases) {
        CloseMenus();
        QTest::keyClick(Editor(), c.key, c.modifiers);
        EXPECT_EQ(OpenMenu(), c.menu) << c.menu->title().toStdString() << " " << c.key;
    }
    CloseMenus();
    // Locked, F10 opens the one menu that works.
    W().HideAllThings(true);
    QTest::keyClick(W().PrivacyPanel, Qt::Key_F10);
    EXPECT_EQ(OpenMenu(), W().mnuHelp);
    CloseMenus();
}

TEST_F(WindowKeysTest, FocusOnAFlatButtonIsVisible) {
    QPushButton* b = W().Nextbutton;
    EXPECT_TRUE(b->isFlat());
    Editor()->setFocus();
    QApplication::processEvents();
    const QImage plain = b->grab().toImage();
    b->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(b->hasFocus());
    const QImage focused = b->grab().toImage();
    EXPECT_NE(plain, focused) << "the focus shows on the button";
    // Space presses the focused button: the page moves on a day.
    const Date before = W().CurrentDate;
    QTest::keyClick(b, Qt::Key_Space);
    EXPECT_EQ(W().CurrentDate, AddDays(before, 1));
}

TEST_F(WindowKeysTest, AWholeSessionTypedByTheUser) {
    const Date start = W().CurrentDate;
    // Write today's page and save it with Alt+S.
    QTest::keyClicks(Editor(), "Morning: rain.");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QTest::keyClicks(Editor(), "Evening: sun.");
    QTest::keyClick(Editor(), Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(!Pending());  // a mnemonic's click comes a moment later
    EXPECT_NE(Stored(start).find("Evening: sun."), std::string::npos);

    // Tomorrow: write, then move back with Ctrl+Page Up, which saves first.
    QTest::keyClick(Editor(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(W().CurrentDate, AddDays(start, 1));
    EXPECT_TRUE(Editor()->IsTextEmpty());
    QTest::keyClicks(Editor(), "Plans");
    QTest::keyClick(Editor(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(W().CurrentDate, start);
    EXPECT_EQ(PageText(), "Morning: rain.\nEvening: sun.");
    EXPECT_EQ(Stored(AddDays(start, 1)).find("Plans") != std::string::npos, true);

    // An edit cancelled with Alt+C brings the stored page back.
    QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Editor(), " Not this.");
    QTest::keyClick(Editor(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!Pending());
    EXPECT_EQ(PageText(), "Morning: rain.\nEvening: sun.");

    // Alt+L goes to the last entry; Alt+F opens the file menu, and E&xit
    // through its mnemonic, answered Yes, saves and closes.
    QTest::keyClick(Editor(), Qt::Key_L, Qt::AltModifier);
    QTRY_COMPARE(W().CurrentDate, AddDays(start, 1));
    QTest::keyClick(Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(Editor(), " and more plans");
    boxes.answers = {true};
    QTest::keyClick(Editor(), Qt::Key_F, Qt::AltModifier);
    QMenu* file = OpenMenu();
    ASSERT_EQ(file, W().mnuFile);
    QTest::keyClick(file, Qt::Key_X);
    QApplication::processEvents();
    EXPECT_FALSE(W().isVisible());
    EXPECT_NE(Stored(AddDays(start, 1)).find("Plans and more plans"), std::string::npos);
}

}  // namespace
}  // namespace quill
