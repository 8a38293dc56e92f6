// The dialogs behind "&Date" and "Rebuild Indexes (do this often!)": the
// date selector with the month's days that have entries marked, and the
// rebuild dialog. The commands themselves (saving first, showing the day
// after) live with the other commands.
#include <QDialog>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "dates/selector/date_selector.h"
#ifdef QUILLBOOK_HAVE_STORAGE
#include "app/rebuild_dialog.h"
#endif

namespace quill {

void TMainScreen::WireDateCommands() {
    SetDateDialog([this](Date start) -> std::optional<Date> {
        TDateSelector dialog(this);
        CenterOverMainWindow(&dialog);
        dialog.InitialDate = start;
        // The lookups put the data set back on the day shown; the save after
        // an OK finds its record by key in any case.
        dialog.Lookup = [this](std::vector<std::string>& days, int year, int month) {
            days.clear();
            if (tableOpen_) store_->GetDaysWithEntries(days, year, month);
        };
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.ChosenDate();
    });
#ifdef QUILLBOOK_HAVE_STORAGE
    RebuildDialog = [this] {
        DiaryStorage* storage = tableOpen_ ? store_->Storage() : nullptr;
        if (!storage) return;
        // Saving first and showing the day again are the command's own steps.
        quill::RebuildIndexes1Click(*storage, this, {}, {});
    };
#endif
}

}  // namespace quill
