// The main window's spelling commands: "&Spell Check" runs the dialog on
// the page and makes its replacement a pending edit; "Mark Spelling Errors"
// turns the marks on and off and is remembered in "QB.INI".

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app_test_support.h"
#include "richtext/widget/rich_text.h"
#include "spell/dialog/spell_check_dialog.h"
#include "spell/engine/main_dictionary_writer.h"

namespace quill {
namespace {

using test::ScriptedBoxes;
using test::WindowUnderTest;

class MainScreenSpellTest : public ::testing::Test {
protected:
    void SetUp() override {
        spell::BuildMainDictionary({"the", "cat", "sat", "on", "mat"}, program + "quillbk.dct");
    }
    std::string ReadIni() {
        std::ifstream in(folder + "QB.INI", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string PageText() {
        std::string s;
        for (const TLine* l = w.window->RichText1->RtfText().firstParagraph->firstLine; l; l = l->next)
            s.append(l->Text());
        return s;
    }

    QTemporaryDir dir;
    QTemporaryDir programDir;
    std::string folder = test::FolderOf(dir);
    std::string program = test::FolderOf(programDir);
    ScriptedBoxes boxes;
    WindowUnderTest w;
};

TEST_F(MainScreenSpellTest, MarkSpellingErrorsIsOnAtFirstAndItsStateIsStoredInASectionOfItsOwn) {
    std::ofstream(folder + "QB.INI", std::ios::binary) << "[Default Font]\r\nFontName=Arial\r\n";
    w.Make(folder, QString::fromStdString(program));
    TMainScreen& m = *w.window;
    ASSERT_NE(m.mnuMarkSpellingErrors, nullptr);
    EXPECT_TRUE(m.mnuMarkSpellingErrors->isCheckable());
    EXPECT_TRUE(m.mnuMarkSpellingErrors->isChecked());
    EXPECT_TRUE(m.RichText1->SpellingMarks().Active());
    m.RichText1->InsertText("The catt sat");
    EXPECT_EQ(m.RichText1->SpellingMarks().MarkDocument(m.RichText1->RtfText()), 1);

    m.mnuMarkSpellingErrors->trigger();
    EXPECT_FALSE(m.mnuMarkSpellingErrors->isChecked());
    EXPECT_FALSE(m.RichText1->SpellingMarks().Active());
    const std::string ini = ReadIni();
    EXPECT_NE(ini.find("[Spelling]\r\nMarkSpellingErrors=0"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Default Font]\r\nFontName=Arial"), std::string::npos) << ini;

    w.Make(folder, QString::fromStdString(program));
    EXPECT_FALSE(w.window->mnuMarkSpellingErrors->isChecked());
    EXPECT_FALSE(w.window->RichText1->SpellingMarks().Active());
    w.window->mnuMarkSpellingErrors->trigger();
    EXPECT_NE(ReadIni().find("MarkSpellingErrors=1"), std::string::npos);
    EXPECT_TRUE(w.window->RichText1->SpellingMarks().Active());
}

TEST_F(MainScreenSpellTest, SpellCheckReplacesInThePageMakesTheEditPendingAndUpdatesTheMarks) {
    w.Make(folder, QString::fromStdString(program));
    TMainScreen& m = *w.window;
    m.show();
    ASSERT_TRUE(m.SpellCheck1->isEnabled());
    m.RichText1->InsertText("The catt sat on teh mat");
    m.SaveButton->hide();
    m.CancelButton->hide();
    EXPECT_EQ(m.RichText1->SpellingMarks().MarkDocument(m.RichText1->RtfText()), 2);

    std::vector<std::string> stops;
    QTimer driver;
    // Works the modal dialog: replaces "catt", adds "teh".
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TSpellCheckDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->Word->text().isEmpty()) return;
        stops.push_back(dialog->Word->text().toStdString());
        if (stops.size() == 1) {
            dialog->ReplaceAs->setText("cat");
            dialog->Replace->click();
        } else {
            dialog->Addbutton->click();
        }
    });
    driver.start(5);
    m.SpellCheck1->trigger();
    driver.stop();

    EXPECT_EQ(stops, (std::vector<std::string>{"catt", "teh"}));
    EXPECT_EQ(PageText(), "The cat sat on teh mat");
    EXPECT_TRUE(m.SaveButton->isVisibleTo(&m));
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.back().text, "Spell check complete");
    EXPECT_EQ(boxes.shown.back().caption, "Information");
    EXPECT_TRUE(std::filesystem::exists(folder + "quillbku.dct"));
    EXPECT_FALSE(std::filesystem::exists(program + "quillbku.dct"));
    // The word added in the dialog is no longer marked.
    EXPECT_EQ(m.RichText1->SpellingMarks().MarkDocument(m.RichText1->RtfText()), 0);
}

TEST_F(MainScreenSpellTest, CtrlSInThePageOpensTheDialogAndCancelLeavesThePageAsItWas) {
    w.Make(folder, QString::fromStdString(program));
    TMainScreen& m = *w.window;
    m.show();
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    m.RichText1->setFocus();
    m.RichText1->InsertText("The catt sat");
    int opened = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TSpellCheckDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->Word->text().isEmpty()) return;
        ++opened;
        EXPECT_EQ(dialog->Word->text(), "catt");
        dialog->Cancel->click();
    });
    driver.start(5);
    QTest::keyClick(m.RichText1, Qt::Key_S, Qt::ControlModifier);
    driver.stop();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(PageText(), "The catt sat");
    EXPECT_EQ(m.RichText1->SelLength(), 0);
}

}  // namespace
}  // namespace quill
