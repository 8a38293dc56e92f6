#pragma once
// The main window on a real diary table in a temporary folder, with the
// message boxes answered from a script.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <fstream>
#include <iterator>

#include "app/app_test_support.h"
#include "richtext/widget/rich_text.h"

namespace quill::test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs ACT on the modal dialog of type T as soon as it is shown; gives up
// (and fails) when none appears.
template <class T>
void WhenShown(std::function<void(T*)> act) {
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, tries, poll] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(d);
            *poll = nullptr;
        } else if (++*tries < 300) {
            QTimer::singleShot(10, [poll] { if (*poll) (*poll)(); });
        } else {
            ADD_FAILURE() << "the dialog was not shown";
            *poll = nullptr;
        }
    };
    QTimer::singleShot(0, [poll] { if (*poll) (*poll)(); });
}

class DiaryWindowTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }

    void Open() {
        MainScreenSetup setup;
        setup.diaryFolder = folder;
        window = std::make_unique<TMainScreen>(setup, MakeDiaryStore());
        ASSERT_TRUE(window->TableOpen());
        window->PrinterCount = [] { return 0; };
        window->show();
        // Shortcuts and mnemonics answer only in the active window.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QApplication::processEvents();
        window->RichText1->setFocus();
    }
    // Closes the window without the close path: what a crash leaves.
    void Drop() { window.reset(); }

    TMainScreen& W() { return *window; }
    TRichText* Editor() { return window->RichText1; }
    bool Pending() const {
        const bool save = !window->SaveButton->isHidden();
        EXPECT_EQ(save, !window->CancelButton->isHidden()) << "Save and Cancel go together";
        return save;
    }
    void GoTo(Date day) {
        ASSERT_TRUE(W().SaveButtonClick());
        W().CurrentDate = day;
        W().FindDateRecord();
        W().LoadRichText();
    }
    // The day's stored text as the table holds it ("" when it has no
    // record); moves the data set, as the date selector's lookups do.
    std::string Stored(Date day) {
        if (!W().Store()->FindDateRecord(day)) return {};
        return W().Store()->CurrentEntryText();
    }
    std::string PageText() {
        std::string text;
        for (const TParagraph* p = Editor()->RtfText().firstParagraph; p; p = p->next) {
            for (const TLine* l = p->firstLine; l; l = l->next) text += l->Text();
            if (p->next) text += '\n';
        }
        return text;
    }
    // What the editor's RTF writer makes of the page, through a real file.
    std::string WriterOutput() {
        const std::string path = folder + "check.rtf";
        Editor()->SaveToFile(path);
        std::string text = ReadFile(path);
        std::remove(path.c_str());
        return text;
    }
    void SelectAllAndDelete() {
        TParagraph* first = Editor()->RtfText().firstParagraph;
        TParagraph* last = first;
        while (last->next) last = last->next;
        Editor()->Input().SetSelection({first, 0}, {last, last->TextLength()});
        QTest::keyClick(Editor(), Qt::Key_Delete);
    }

    QTemporaryDir dir;
    std::string folder = test::FolderOf(dir);
    test::ScriptedBoxes boxes;
    std::unique_ptr<TMainScreen> window;
    const Date day{2026, 3, 14};
};

}  // namespace quill::test
