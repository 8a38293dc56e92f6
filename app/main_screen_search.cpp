// The search across entries: "Find entry containing..." asks for a text and
// shows the first entry in date order that holds it, "Find Next Entry" goes
// on from the entry shown. Both save a pending edit first and end on the
// shown day's record, so that the next save writes the right entry.
#include <QAction>
#include <QMessageBox>
#include <exception>

#include "app/entry_search/diary_search.h"
#include "app/look_for_all_dialog.h"
#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "dates/date_text.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

QString DayList(const std::vector<std::string>& keys) {
    QStringList days;
    for (const std::string& key : keys) days << QString::fromStdString(LongDateText(STOD(key)));
    return days.join(", ");
}

}  // namespace

void TMainScreen::WireSearchCommands() {
    connect(mnuFindentrycontaining, &QAction::triggered, this, [this] { mnuFindentrycontainingClick(); });
    connect(mnuFindNextBig, &QAction::triggered, this, [this] { mnuFindNextBigClick(); });
    // Without an open table there is nothing to walk.
    const bool searchable = tableOpen_ && store_->EntrySearch();
    SetCommandEnabled(mnuFindentrycontaining, searchable);
    SetCommandEnabled(mnuFindNextBig, false);
}

void TMainScreen::mnuFindentrycontainingClick() {
    DiarySearch* search = tableOpen_ ? store_->EntrySearch() : nullptr;
    if (!search || !SaveButtonClick()) return;
    QString typed;
    {
        TLookForAll dialog(this);
        CenterOverMainWindow(&dialog);
        if (dialog.exec() == QDialog::Accepted) typed = dialog.Text();
    }
    // Cancelled or empty: no walk, and the last search stays as it was.
    if (typed.isEmpty()) return;
    RunSearchStep(true, Utf16ToWin1252(typed.toStdU16String(), 0));
}

void TMainScreen::mnuFindNextBigClick() {
    DiarySearch* search = tableOpen_ ? store_->EntrySearch() : nullptr;
    if (!search || !SaveButtonClick()) return;
    RunSearchStep(false, {});
}

void TMainScreen::RunSearchStep(bool fromFirst, const std::string& text) {
    DiarySearch* search = store_->EntrySearch();
    SearchStep result;
    try {
        result = fromFirst ? search->FindEntryContaining(text, CurrentDate) : search->FindNextEntry(CurrentDate);
    } catch (const std::exception& e) {
        // The table could not be read: say so, and show the day again.
        AskBox(QString("The diary could not be searched:\n%1").arg(QString::fromLocal8Bit(e.what())), "Error",
               QMessageBox::Ok, QMessageBox::Critical);
        SearchFound = search->SearchFound();
        SetCommandEnabled(mnuFindNextBig, SearchFound);
        MoveToDay(CurrentDate);
        return;
    }
    SearchText = search->SearchText();
    SearchFound = search->SearchFound();
    SetCommandEnabled(mnuFindNextBig, SearchFound);
    if (!result.found && result.walked) ShowInformation(QString::fromStdString(result.message));
    if (!result.unreadable.empty())
        AskBox(QString("These entries could not be read and were not searched: %1").arg(DayList(result.unreadable)),
               "Warning", QMessageBox::Ok, QMessageBox::Warning);
    // The found day, or again the day shown before.
    MoveToDay(result.day);
}

}  // namespace quill
