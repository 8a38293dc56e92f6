// The entry editor on the main window: its settings, the hidden editor
// beside it, and how edits make the Save and Cancel buttons appear.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/app_test_support.h"
#include "richtext/widget/rich_text.h"

namespace quill {
namespace {

class EntryEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        QGuiApplication::clipboard()->clear();
        w.Make(folder);
        w.window->show();
        QApplication::processEvents();
        w.window->RichText1->setFocus();
    }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }
    bool Pending() const {
        const bool save = !w.window->SaveButton->isHidden();
        EXPECT_EQ(save, !w.window->CancelButton->isHidden()) << "Save and Cancel go together";
        return save;
    }
    void ForgetPending() {
        w.window->SaveButton->hide();
        w.window->CancelButton->hide();
    }

    QTemporaryDir dir;
    std::string folder = test::FolderOf(dir);
    test::ScriptedBoxes boxes;
    test::WindowUnderTest w;
};

TEST_F(EntryEditorTest, TheEntryEditorAndTheHiddenEditorAreSetUpForTheDiary) {
    TRichText& e = *w.window->RichText1;
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(e.frameShape(), QFrame::NoFrame);
    EXPECT_EQ(e.Color(), 0xFFFFFFu);
    EXPECT_EQ(e.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(e.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(e.WordWrap());
    EXPECT_TRUE(e.WantTabs());
    EXPECT_TRUE(e.Inserting());
    EXPECT_FALSE(e.ReadOnly());
    EXPECT_EQ(e.Language(), tlEnglish);
    EXPECT_EQ(e.Font().name, "Arial");
    EXPECT_EQ(e.Font().size, 8);
    EXPECT_EQ(e.Font().color, 0u);
    EXPECT_EQ(e.Font().style, 0);
    // Today's page is new and empty, in the user's default font, which the
    // window's first layout (it puts the caret at the start) keeps.
    EXPECT_TRUE(e.IsTextEmpty());
    EXPECT_EQ(e.RtfText().header.FontName(e.CurrentAttributes().font), w.window->DefFontName);
    EXPECT_EQ(e.CurrentAttributes().size, w.window->DefFontSize);
    EXPECT_NE(w.window->DefFontSize, e.Font().size) << "the case shows nothing";
    EXPECT_FALSE(Pending());

    TRichText& hidden = *w.window->RichTextAllPurpose;
    EXPECT_TRUE(hidden.isHidden());
    EXPECT_EQ(hidden.ScrollBars(), ssNone);
    EXPECT_FALSE(hidden.OnChange);
    EXPECT_FALSE(hidden.OnKeyDown);
    EXPECT_EQ(hidden.Language(), tlEnglish);
}

TEST_F(EntryEditorTest, TypingMakesAnEditPending) {
    TRichText* e = w.window->RichText1;
    QTest::keyClick(e, Qt::Key_Right);
    EXPECT_FALSE(Pending());
    QTest::keyClicks(e, "Dear diary");
    EXPECT_TRUE(Pending());
    EXPECT_EQ(e->RtfText().firstParagraph->firstLine->Text(), "Dear diary");
    // Clearing the page is no edit.
    ForgetPending();
    e->Clear();
    EXPECT_FALSE(Pending());
}

// The keys the key hook answers for: every Tab, every Delete and Ctrl+V,
// whatever they did to the text.
TEST_F(EntryEditorTest, TabDeleteAndCtrlVMakeAnEditPendingThroughTheKeyHook) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool pending;
    } cases[] = {
        {"tab", Qt::Key_Tab, Qt::NoModifier, true},
        {"ctrl+tab", Qt::Key_Tab, Qt::ControlModifier, true},
        {"shift+tab", Qt::Key_Tab, Qt::ShiftModifier, true},
        {"delete at the end", Qt::Key_Delete, Qt::NoModifier, true},
        {"shift+delete, nothing selected", Qt::Key_Delete, Qt::ShiftModifier, true},
        {"ctrl+delete, nothing selected", Qt::Key_Delete, Qt::ControlModifier, true},
        {"ctrl+v, empty clipboard", Qt::Key_V, Qt::ControlModifier, true},
        // The editor raises it itself for the Ctrl+V character.
        {"ctrl+shift+v", Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier, true},
        {"ctrl+insert", Qt::Key_Insert, Qt::ControlModifier, false},
        {"shift+insert, empty clipboard", Qt::Key_Insert, Qt::ShiftModifier, false},
        {"home", Qt::Key_Home, Qt::NoModifier, false},
    };
    TRichText* e = w.window->RichText1;
    for (const Case& c : cases) {
        ForgetPending();
        QTest::keyClick(e, c.key, c.modifiers);
        EXPECT_EQ(Pending(), c.pending) << c.name;
    }
    // The hook itself takes V only with Ctrl alone.
    ForgetPending();
    int key = Qt::Key_V;
    w.window->RichText1KeyDown(key, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(Pending());
    w.window->RichText1KeyDown(key, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_TRUE(Pending());
    EXPECT_EQ(key, Qt::Key_V);  // the key goes on to the editor
    // A cut with Shift+Delete of selected text is pending too.
    QTest::keyClicks(e, "abc");
    e->Input().SetSelection({e->RtfText().firstParagraph, 0}, {e->RtfText().firstParagraph, 1});
    ForgetPending();
    QTest::keyClick(e, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(Pending());
    // And a paste with Shift+Insert: the pasted text must not be lost.
    ForgetPending();
    QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_TRUE(Pending());
}

TEST_F(EntryEditorTest, TheEditorFillsThePageBetweenTheRules) {
    TRichText* e = w.window->RichText1;
    QTest::keyClicks(e, "A line of text that should wrap at the editor's own width when it grows long enough.");
    EXPECT_EQ(e->Layout().WrapWidth(), e->viewport()->width());
    EXPECT_GT(e->viewport()->width(), 400);
    // A larger window gives a wider page.
    const int before = e->viewport()->width();
    w.window->resize(900, 700);
    QApplication::processEvents();
    EXPECT_GT(e->viewport()->width(), before);
    EXPECT_EQ(e->Layout().WrapWidth(), e->viewport()->width());
}

// A page written by LibreOffice loads into the entry editor without making
// an edit pending, and the page shows it. With QUILL_SHOT_DIR set the window
// is kept there as a picture for a look by eye.
TEST_F(EntryEditorTest, ALibreOfficePageLoadsWithoutAPendingEdit) {
    TRichText* e = w.window->RichText1;
    e->Clear();
    e->LoadFromFile(QUILL_FIXTURES "/libreoffice/formatting.rtf");
    EXPECT_FALSE(Pending());
    EXPECT_FALSE(e->IsTextEmpty());
    QApplication::processEvents();
    const QImage page = e->viewport()->grab().toImage();
    int ink = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 128) ++ink;
    EXPECT_GT(ink, 500);
    if (!qEnvironmentVariableIsEmpty("QUILL_SHOT_DIR"))
        w.window->grab().save(QString::fromLocal8Bit(qgetenv("QUILL_SHOT_DIR")) + "/main_window.png");
}

}  // namespace
}  // namespace quill
