#include "app/main_screen.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "app/app_test_support.h"
#include "app/default_font_dialog.h"
#include "app/line_shape.h"
#include "app/ring_panel.h"
#include "app/splash_form.h"
#include "dates/date_text.h"
#include "privacy/password_verifier.h"
#include "privacy/privacy_panel.h"
#include "richtext/widget/find_dialogs.h"
#include "richtext/widget/format_toolbar.h"
#include "richtext/widget/rich_text.h"
#include "richtext/widget/ruler.h"

namespace quill {
namespace {

using test::ScriptedBoxes;
using test::WindowUnderTest;

TEST(WindowPlacement, SmallestScreenAtTopLeftOtherwiseCentredTruncatingTowardZero) {
    struct Case {
        QSize screen;
        QPoint expected;
    } cases[] = {
        {{640, 480}, {0, 0}},     {{800, 600}, {95, 75}},  {{1024, 768}, {207, 159}},
        {{641, 480}, {15, 15}},   {{640, 481}, {15, 15}},  {{609, 449}, {0, 0}},
        {{600, 400}, {-5, -25}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InitialWindowPosition(c.screen), c.expected)
            << c.screen.width() << "x" << c.screen.height();
}

TEST(WindowPlacement, MaximisedWindowIsClampedInHeightFirstThenInWidth) {
    const QRect work(0, 0, 800, 570);
    // Too tall and too wide: only the height is adjusted in one call.
    EXPECT_EQ(ClampMaximizedGeometry(QRect(-4, -4, 808, 608), work), QRect(-4, 0, 808, 570));
    EXPECT_EQ(ClampMaximizedGeometry(QRect(-4, -4, 808, 560), work), QRect(0, -4, 800, 560));
    EXPECT_EQ(ClampMaximizedGeometry(QRect(10, 10, 700, 500), work), QRect(10, 10, 700, 500));
}

TEST(WindowPlacement, DialogsAreCentredOverTheMainWindow) {
    EXPECT_EQ(CenteredPosition(QRect(100, 50, 610, 450), QSize(201, 101)), QPoint(304, 224));
    // A dialog larger than the window sits up and left of it.
    EXPECT_EQ(CenteredPosition(QRect(0, 0, 610, 450), QSize(615, 455)), QPoint(-2, -2));
}

class MainScreenTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string folder = test::FolderOf(dir);
    ScriptedBoxes boxes;
    WindowUnderTest w;

    void WriteIni(const std::string& text) {
        std::ofstream(folder + "QB.INI", std::ios::binary) << text;
    }
    std::string ReadIni() {
        std::ifstream in(folder + "QB.INI", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

// Menu captions in order, "-" for a separator, with their shortcuts.
std::vector<std::string> MenuLayout(QMenu* menu) {
    std::vector<std::string> out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out.push_back("-");
            continue;
        }
        std::string item = a->text().toStdString();
        if (!a->shortcut().isEmpty()) item += " [" + a->shortcut().toString().toStdString() + "]";
        if (a->menu()) item += " >";
        out.push_back(item);
    }
    return out;
}

TEST_F(MainScreenTest, MenusHoldEveryItemShortcutAndSeparator) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    QList<QAction*> top = m.menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    // Mnemonics, so that the menus open from the keyboard.
    EXPECT_EQ(top[0]->text(), "&File");
    EXPECT_EQ(top[1]->text(), "&Edit");
    EXPECT_EQ(top[2]->text(), "&Utilities");
    EXPECT_EQ(top[3]->text(), "&Help");
    using V = std::vector<std::string>;
    EXPECT_EQ(MenuLayout(m.mnuFile),
              (V{"Select or Change Password", "-", "Rebuild Indexes (do this often!)", "-",
                 "Print Setup", "Print >", "-", "E&xit"}));
    EXPECT_EQ(MenuLayout(m.Print1),
              (V{"Print Current Entry Only", "Print From Current Entry Forward - Merged",
                 "Print From Current Entry Forward - Separate Pages"}));
    EXPECT_EQ(MenuLayout(m.mnuEdit),
              (V{"&Find [Ctrl+F]", "&Replace [Ctrl+R]", "-", "&Spell Check [Ctrl+S]",
                 "Mark Spelling Errors", "Insert Today's &Date  [Ctrl+D]", "-", "&Wrap Text to fit Screen", "-",
                 "Default Font"}));
    EXPECT_EQ(MenuLayout(m.mnuUtilities),
              (V{"Find entry containing... [Ctrl+F4]", "Find Next Entry [Ctrl+F5]"}));
    EXPECT_EQ(MenuLayout(m.mnuHelp), (V{"Contents [F1]", "-", "About"}));
    EXPECT_TRUE(m.mnuWrapTexttofitScreen->isChecked());
    EXPECT_FALSE(m.mnuFindNextBig->isEnabled());
}

TEST_F(MainScreenTest, CaptionSizeAndControlsAtStart) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    EXPECT_EQ(m.windowTitle(), "Quillbook");
    EXPECT_EQ(m.size(), QSize(610, 450));
    std::vector<std::pair<QPushButton*, const char*>> buttons = {
        {m.SaveButton, "&Save"},     {m.CancelButton, "&Cancel"}, {m.FirstButton, "&First"},
        {m.PriorButton, "&Prev"},    {m.CalendarButton, "&Date"}, {m.Nextbutton, "&Next"},
        {m.LastButton, "&Last"},     {m.Hidebutton, "&Hide"},     {m.ExplorerButton1, "E&xit"}};
    int lastX = -1;
    m.show();
    QApplication::processEvents();
    for (auto [button, caption] : buttons) {
        EXPECT_EQ(button->text(), caption);
        if (!button->isHidden()) {
            EXPECT_GT(button->x(), lastX) << caption << " out of order";
            lastX = button->x();
        }
    }
    EXPECT_TRUE(m.SaveButton->isHidden());
    EXPECT_TRUE(m.CancelButton->isHidden());
    ASSERT_NE(m.DocWordWrapButton, nullptr);
    EXPECT_EQ(m.DocPageBreakButton->toolTip(), "Insert Page Break");
    EXPECT_EQ(m.ParagraphSetupButton->toolTip(), "Paragraph properties");
    EXPECT_EQ(m.DocWordWrapButton->toolTip(), "Toggle word wrap off");
    EXPECT_TRUE(m.RichTextAllPurpose->isHidden());
    QFont f = m.DateLabel->font();
    EXPECT_TRUE(f.bold() && f.italic());
    EXPECT_EQ(f.pixelSize(), 16);
    EXPECT_EQ(m.DateLabel->text().toStdString(), LongDateText(Today()));
}

TEST_F(MainScreenTest, ToolbarAndRulerServeTheEntryEditor) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    QApplication::processEvents();
    EXPECT_EQ(m.FormatToolBar2->Editor(), m.RichText1);
    EXPECT_EQ(m.Ruler1->Editor(), m.RichText1);
    // The three page buttons come through the toolbar's extra buttons, in order.
    EXPECT_EQ(m.FormatToolBar2->ExtraButtonCount(), 3);
    const QList<QAction*> actions = m.FormatToolBar2->actions();
    ASSERT_GE(actions.size(), 3);
    EXPECT_EQ(m.FormatToolBar2->widgetForAction(actions[actions.size() - 3]), m.DocPageBreakButton);
    EXPECT_EQ(m.FormatToolBar2->widgetForAction(actions[actions.size() - 2]), m.ParagraphSetupButton);
    EXPECT_EQ(m.FormatToolBar2->widgetForAction(actions[actions.size() - 1]), m.DocWordWrapButton);
    // The ruler's scale starts where the editor's text does.
    const int textLeft = m.Ruler1->mapFromGlobal(m.RichText1->viewport()->mapToGlobal(QPoint(1, 0))).x();
    EXPECT_EQ(m.Ruler1->XOfTwips(0), textLeft);
    // Bold from the toolbar makes the entry's edit pending.
    m.RichText1->setFocus();
    QTest::keyClicks(m.RichText1, "Dear diary");
    QTest::keyClick(m.RichText1, Qt::Key_Home, Qt::ShiftModifier);
    m.FormatToolBar2->BoldIcon()->trigger();
    EXPECT_NE(m.RichText1->RtfText().firstParagraph->firstLine->attribs[0].style & csBold, 0);
    EXPECT_FALSE(m.SaveButton->isHidden());
}

TEST_F(MainScreenTest, FindAndReplaceItemsOpenTheDialogsOnTheEntryEditor) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    QApplication::processEvents();
    m.mnuFind->trigger();
    ASSERT_NE(FindDialog(), nullptr);
    EXPECT_TRUE(FindDialog()->isVisible());
    EXPECT_EQ(FindDialog()->Target(), &m.RichText1->FindTarget());
    m.Replace1->trigger();
    ASSERT_NE(ReplaceDialog(), nullptr);
    EXPECT_TRUE(ReplaceDialog()->isVisible());
    EXPECT_FALSE(FindDialog()->isVisible());
    EXPECT_EQ(ReplaceDialog()->Target(), &m.RichText1->FindTarget());
    ReplaceDialog()->hide();
}

TEST_F(MainScreenTest, PageLayoutFollowsThePagePanel) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    for (QSize size : {QSize(610, 450), QSize(900, 700)}) {
        m.resize(size);
        QApplication::processEvents();
        const int W = m.RingPanel1->width(), H = m.RingPanel1->height();
        const int width = W - 46 - 20;
        EXPECT_EQ(m.DateLabel->geometry().topLeft(), QPoint(46, 8));
        EXPECT_EQ(m.DateLabel->width(), width);
        EXPECT_EQ(m.TopLine->geometry().topLeft(), QPoint(46, 28));
        EXPECT_EQ(m.TopLine->width(), width);
        EXPECT_EQ(m.BottomLine->geometry().topLeft(), QPoint(46, H - 20));
        EXPECT_EQ(m.RichText1->geometry(), QRect(46, 35, width, H - 35 - 22));
    }
}

struct StateExpectation {
    bool privacyShown, toolbarShown, actionBarShown, rulerShown;
    bool fileEnabled, editEnabled, utilitiesEnabled, helpEnabled;
};

void ExpectState(TMainScreen& m, const StateExpectation& e) {
    EXPECT_EQ(!m.PrivacyPanel->isHidden(), e.privacyShown);
    EXPECT_EQ(!m.ToolbarPanel->isHidden(), e.toolbarShown);
    EXPECT_EQ(!m.ActionPanel->isHidden(), e.actionBarShown);
    EXPECT_EQ(!m.Ruler1->isHidden(), e.rulerShown);
    EXPECT_EQ(m.mnuFile->menuAction()->isEnabled(), e.fileEnabled);
    EXPECT_EQ(m.mnuEdit->menuAction()->isEnabled(), e.editEnabled);
    EXPECT_EQ(m.mnuUtilities->menuAction()->isEnabled(), e.utilitiesEnabled);
    EXPECT_EQ(m.mnuHelp->menuAction()->isEnabled(), e.helpEnabled);
    // Items with working commands follow their menu; shortcuts of a locked
    // menu must not fire either.
    EXPECT_EQ(m.exit1->isEnabled(), e.fileEnabled);
    EXPECT_EQ(m.mnuDefaultFont->isEnabled(), e.editEnabled);
    EXPECT_TRUE(m.Contents1->isEnabled());
    EXPECT_TRUE(m.About1->isEnabled());
}

TEST_F(MainScreenTest, WithoutAPasswordTheWindowStartsOpen) {
    w.Make(folder);
    EXPECT_FALSE(w.window->Locked());
    ExpectState(*w.window, {false, true, true, true, true, true, true, true});
    const std::string today = DateToKey(Today());
    EXPECT_EQ(w.log->calls,
              (std::vector<std::string>{"open " + folder, "password ", "find " + today}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(MainScreenTest, WithAPasswordTheWindowStartsLockedAndOpensOnlyForTheRightOne) {
    WriteIni("[Security]\nPassword=" + MakePasswordVerifier("Secret") + "\n");
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    m.FormActivate();
    EXPECT_TRUE(m.Locked());
    ExpectState(m, {true, false, false, true, false, false, false, true});
    EXPECT_EQ(m.focusWidget(), m.PrivacyPanel->Pass);
    // Neither the password nor today's page before the gate is passed.
    EXPECT_EQ(w.log->calls, (std::vector<std::string>{"open " + folder}));
    EXPECT_EQ(m.PrivacyPanel->Pass->echoMode(), QLineEdit::Password);
    // A click on the ruler behind the gate sets no tab stop on the hidden page.
    QTest::mouseClick(m.Ruler1, Qt::LeftButton, {},
                      QPoint(m.Ruler1->XOfTwips(1440), m.Ruler1->Band().center().y()));
    EXPECT_EQ(m.RichText1->RtfText().firstParagraph->tabMask, 0u);
    EXPECT_TRUE(m.SaveButton->isHidden());

    for (const char* wrong : {"secret", "SECRET", "", "Secret ", "Secre"}) {
        boxes.shown.clear();
        m.PrivacyPanel->Pass->setText(wrong);
        m.PrivacyPanel->BitBtn1->click();
        ASSERT_EQ(boxes.shown.size(), 1u) << wrong;
        EXPECT_EQ(boxes.shown[0].text, "Sorry, that is the wrong password");
        EXPECT_EQ(boxes.shown[0].caption, "Information");
        EXPECT_TRUE(m.Locked());
        EXPECT_EQ(m.PrivacyPanel->Pass->text(), wrong);  // stays in the box
    }

    boxes.shown.clear();
    m.PrivacyPanel->Pass->setText("Secret");
    m.PrivacyPanel->BitBtn1->click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(m.Locked());
    ExpectState(m, {false, true, true, true, true, true, true, true});
    EXPECT_EQ(m.DiaryPassword, "Secret");
    EXPECT_TRUE(m.PrivacyPanel->Pass->text().isEmpty());
    const std::string today = DateToKey(Today());
    EXPECT_EQ(w.log->calls, (std::vector<std::string>{"open " + folder, "password Secret",
                                                       "find " + today}));
    EXPECT_TRUE(m.Ruler1->isEnabled());
    // Find works once unlocked; commands that wait for later parts stay
    // disabled after unlocking.
    EXPECT_TRUE(m.mnuFind->isEnabled());
    EXPECT_TRUE(m.Replace1->isEnabled());
    EXPECT_FALSE(m.mnuFindNextBig->isEnabled());
}

TEST_F(MainScreenTest, EnterInThePasswordBoxPressesOk) {
    WriteIni("[Security]\nPassword=" + MakePasswordVerifier("pw") + "\n");
    w.Make(folder);
    w.window->PrivacyPanel->Pass->setText("pw");
    emit w.window->PrivacyPanel->Pass->returnPressed();
    EXPECT_FALSE(w.window->Locked());
}

TEST_F(MainScreenTest, CloseFromTheGateAsksAndNoLeavesTheGate) {
    WriteIni("[Security]\nPassword=" + MakePasswordVerifier("pw") + "\n");
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    boxes.answers = {false};
    m.PrivacyPanel->BitBtn2->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Exit program?");
    EXPECT_EQ(boxes.shown[0].caption, "Confirm");
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(m.Locked());
    boxes.answers = {true};
    m.PrivacyPanel->BitBtn2->click();
    EXPECT_FALSE(m.isVisible());
}

TEST_F(MainScreenTest, OlderScrambledPasswordIsAcceptedAndReplacedByAVerifierOnTheNextWrite) {
    // "abc" as older files store it: every code shifted, nothing readable.
    WriteIni("[Security]\r\nPassword=\xC2\xC9\xC4\r\n[Default Font]\r\nName=Arial\r\n");
    w.Make(folder);
    TMainScreen& m = *w.window;
    EXPECT_TRUE(m.Locked());
    m.PrivacyPanel->Pass->setText("ABC");
    m.PrivacyPanel->BitBtn1->click();
    EXPECT_TRUE(m.Locked());
    m.PrivacyPanel->Pass->setText("abc");
    m.PrivacyPanel->BitBtn1->click();
    ASSERT_FALSE(m.Locked());
    EXPECT_EQ(m.DiaryPassword, "abc");

    ASSERT_TRUE(m.SavePreferences());
    const std::string ini = ReadIni();
    const std::string prefix = "[Security]\r\nPassword=$argon2id$";
    ASSERT_EQ(ini.substr(0, prefix.size()), prefix) << ini;
    EXPECT_EQ(ini.find("abc"), std::string::npos);
    EXPECT_TRUE(StoredPasswordAccepts(m.StoredPasswordValue(), "abc"));

    // The next start asks for the same password against the verifier.
    w.window.reset();
    WindowUnderTest again;
    again.Make(folder);
    EXPECT_TRUE(again.window->Locked());
    again.window->PrivacyPanel->Pass->setText("abc");
    again.window->PrivacyPanel->BitBtn1->click();
    EXPECT_FALSE(again.window->Locked());
    // A later write keeps the verifier it has instead of salting anew.
    const std::string verifier = again.window->StoredPasswordValue();
    ASSERT_TRUE(again.window->SavePreferences());
    EXPECT_EQ(again.window->StoredPasswordValue(), verifier);
}

TEST_F(MainScreenTest, PreferencesDefaultsWhenTheFileIsMissing) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    EXPECT_EQ(m.DefFontName, "Arial");
    EXPECT_EQ(m.DefFontSize, 10);
    EXPECT_FALSE(m.DefFontBold || m.DefFontItalic || m.DefFontUnderline);
    EXPECT_EQ(m.DefFontColor, 0u);
    EXPECT_TRUE(m.DiaryPassword.empty());
    EXPECT_FALSE(std::ifstream(folder + "QB.INI").good());  // reading writes nothing
}

TEST_F(MainScreenTest, PreferencesReadHexDecimalAndBadValues) {
    WriteIni(
        "[Default Font]\nName=Courier New\nSize=0x0C\nBold=2\nItalic=0\nUnderline=-1\n"
        "Color=blue\n");
    w.Make(folder);
    TMainScreen& m = *w.window;
    EXPECT_EQ(m.DefFontName, "Courier New");
    EXPECT_EQ(m.DefFontSize, 12);
    EXPECT_TRUE(m.DefFontBold);
    EXPECT_FALSE(m.DefFontItalic);
    EXPECT_TRUE(m.DefFontUnderline);
    EXPECT_EQ(m.DefFontColor, 0u);
    EXPECT_FALSE(m.Locked());
}

TEST_F(MainScreenTest, SavingWritesEveryKeyInOrderAndKeepsOtherSections) {
    WriteIni("[Window]\nState=1\n");
    w.Make(folder);
    TMainScreen& m = *w.window;
    QFont chosen("Times New Roman", 14);
    chosen.setBold(true);
    chosen.setUnderline(true);
    m.DefaultFontdialog->font = chosen;
    m.DefaultFontdialog->color = 0x00FF0080;  // blue 255, green 0, red 128
    ASSERT_TRUE(m.SavePreferences());
    EXPECT_EQ(ReadIni(),
              "[Window]\nState=1\n[Security]\nPassword=\n[Default Font]\nName=Times New Roman\n"
              "Size=14\nBold=1\nItalic=0\nUnderline=1\nColor=16711808\n");
    EXPECT_EQ(m.DefFontName, "Times New Roman");
    EXPECT_EQ(m.DefFontSize, 14);
    EXPECT_EQ(m.DefFontColor, 0x00FF0080u);
    m.LoadPreferences();
    EXPECT_EQ(m.DefFontSize, 14);
    EXPECT_TRUE(m.DefFontBold);
}

TEST_F(MainScreenTest, AFailedWriteIsReportedAndTheRestIsNotDone) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    std::filesystem::create_directory(folder + "QB.INI");
    m.DefaultFontdialog->font = QFont("Courier New", 20);
    EXPECT_FALSE(m.SavePreferences());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text.toStdString(), "Unable to write to " + folder + "QB.INI");
    EXPECT_EQ(m.DefFontName, "Arial");
    EXPECT_EQ(m.DefFontSize, 10);
}

TEST_F(MainScreenTest, DefaultFontCancelledLeavesThePreferencesFileUntouched) {
    w.Make(folder);
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(modal, "reject");
    });
    w.window->mnuDefaultFontClick();
    EXPECT_FALSE(std::ifstream(folder + "QB.INI").good());
}

TEST_F(MainScreenTest, TableThatCannotBeOpenedExplainsThenAsksToExit) {
    w.log->openSucceeds = false;
    boxes.answers = {true};
    w.Make(folder);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_NE(boxes.shown[0].text.indexOf(QString::fromStdString(folder)), -1);
    EXPECT_NE(boxes.shown[0].text.indexOf("the table file is damaged"), -1);
    EXPECT_EQ(boxes.shown[1].text, "Exit program?");
    EXPECT_TRUE(w.window->ClosedAtStart());
    EXPECT_FALSE(w.window->isVisible());
}

TEST_F(MainScreenTest, DamageMendedAtOpenIsShownAndTheDiaryGoesOn) {
    w.log->openNotes = {"QUILLBK.DBF was cut short", "the index was rebuilt in memory"};
    w.Make(folder);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.indexOf("QUILLBK.DBF was cut short"), -1);
    EXPECT_NE(boxes.shown[0].text.indexOf("the index was rebuilt in memory"), -1);
    EXPECT_TRUE(w.window->TableOpen());
    EXPECT_FALSE(w.window->ClosedAtStart());
}

TEST_F(MainScreenTest, NoToExitAfterAFailedOpenGoesOnWithoutATable) {
    w.log->openSucceeds = false;
    boxes.answers = {false};
    w.Make(folder);
    EXPECT_FALSE(w.window->ClosedAtStart());
    EXPECT_FALSE(w.window->TableOpen());
    EXPECT_EQ(w.log->calls, (std::vector<std::string>{"open " + folder}));
    EXPECT_FALSE(w.window->EntryExists);
    EXPECT_EQ(w.window->DateLabel->text().toStdString(), LongDateText(Today()));
}

TEST_F(MainScreenTest, EveryCloseAsksAndNoKeepsTheWindow) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    boxes.answers = {false};
    m.close();
    EXPECT_TRUE(m.isVisible());
    boxes.answers = {false};
    m.ExplorerButton1->click();
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(boxes.shown.size(), 2u);
    boxes.answers = {true};
    m.exit1->trigger();
    EXPECT_FALSE(m.isVisible());
}

TEST_F(MainScreenTest, FirstActivationReleasesTheSplashOnce) {
    QPointer<TSplashform> splash = new TSplashform;
    splash->show();
    MainScreenSetup setup;
    setup.diaryFolder = folder;
    setup.splash = splash;
    TMainScreen m(setup, std::make_unique<test::RecordingStore>(w.log));
    EXPECT_FALSE(splash.isNull());
    m.FormActivate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
    m.FormActivate();  // a later activation has no splash to touch
    EXPECT_TRUE(m.isVisible());
}

TEST_F(MainScreenTest, AboutShowsTheSplashWindowWithItsOkButton) {
    w.Make(folder);
    bool sawOk = false;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TSplashform*>(QApplication::activeModalWidget());
        if (!about) return;
        sawOk = about->OkButton->isVisible();
        title = about->TitleLabel->text();
        about->OkButton->click();
    });
    w.window->About1Click();
    EXPECT_TRUE(sawOk);
    EXPECT_EQ(title, "Quillbook!");
}

TEST_F(MainScreenTest, HideMinimisesTheWindow) {
    w.Make(folder);
    w.window->show();
    w.window->Hidebutton->click();
    EXPECT_TRUE(w.window->isMinimized());
}

}  // namespace
}  // namespace quill

namespace quill {
namespace {

TEST_F(MainScreenTest, CtrlPageDownAndUpGoThroughTheDayButtons) {
    w.Make(folder);
    TMainScreen& m = *w.window;
    m.show();
    int next = 0, prior = 0;
    QObject::connect(m.Nextbutton, &QPushButton::clicked, [&] { ++next; });
    QObject::connect(m.PriorButton, &QPushButton::clicked, [&] { ++prior; });
    // While the buttons are disabled the keys do nothing.
    m.Nextbutton->setEnabled(false);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier);
    QApplication::sendEvent(m.RichText1, &down);
    EXPECT_EQ(next, 0);
    m.Nextbutton->setEnabled(true);
    QApplication::sendEvent(m.RichText1, &down);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_PageUp, Qt::ControlModifier);
    QApplication::sendEvent(m.RichText1, &up);
    // Only Ctrl alone counts.
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::sendEvent(m.RichText1, &shifted);
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(m.RichText1, &plain);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(prior, 1);
}

#ifdef QUILLBOOK_HAVE_STORAGE
TEST_F(MainScreenTest, AFreshStartCreatesTheDiaryTableAndItsIndex) {
    MainScreenSetup setup;
    setup.diaryFolder = folder;
    TMainScreen m(setup, MakeDiaryStore());
    EXPECT_TRUE(m.TableOpen());
    EXPECT_FALSE(m.EntryExists);
    EXPECT_FALSE(m.Locked());
    EXPECT_TRUE(std::filesystem::exists(folder + "QUILLBK.DBF"));
    EXPECT_TRUE(std::filesystem::exists(folder + "QUILLBK.CDX"));
    EXPECT_TRUE(boxes.shown.empty());
}
#endif

}  // namespace
}  // namespace quill
