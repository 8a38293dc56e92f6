// The editing cycle of the main window: the current day's page moves from
// the table into the entry editor and back, and the Save and Cancel buttons
// show whether an edit is pending.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <exception>

#include "app/default_font_attributes.h"
#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "dates/date_text.h"
#include "richtext/widget/rich_text.h"
#include "storage/entry_text.h"

namespace quill {

namespace {

constexpr const char* kDamagedPageMessage =
    "The entry of %1 could not be read whole, so it is shown read-only: saving it would replace the stored text.\n\n"
    "%2\n\nSee \"Backups, and what to do when the diary is damaged\" in Help.";

}  // namespace

bool TMainScreen::EditPending() const { return !SaveButton->isHidden(); }

void TMainScreen::LoadRichText() {
    if (recoveryTimer_) recoveryTimer_->stop();
    std::string text;
    QString damage;
    if (EntryExists) {
        try {
            // By its key: the date dialog's marks, printing or the search may
            // have left the data set on another day since it was found.
            if (store_->FindDateRecord(CurrentDate)) text = store_->CurrentEntryText();
        } catch (const std::exception& e) {
            damage = QString::fromStdString(e.what());
        }
    }
    // A page that was not read whole is shown read-only: a save would put
    // what could be read in place of the stored text, which a repair or a
    // backup may still bring back.
    RichText1->SetReadOnly(false);
    // Cleared first: a load into a page that is not empty would insert.
    RichText1->Clear();
    try {
        if (!text.empty()) RichText1->LoadFromText(text, setup_.diaryFolder);
    } catch (const std::exception& e) {
        damage = QString::fromStdString(e.what());
    }
    RichText1->GotoStart();
    RichText1->Invalidate();
    if (!EntryExists) {
        SetDefaultFontNow();
        // Setting the font reports a change: no edit is pending yet.
        SaveButton->hide();
        CancelButton->hide();
        if (recoveryTimer_) recoveryTimer_->stop();
    }
    if (!damage.isEmpty()) {
        RichText1->SetReadOnly(true);
        ShowInformation(QString(kDamagedPageMessage).arg(QString::fromStdString(LongDateText(CurrentDate)), damage));
    }
}

void TMainScreen::SetDefaultFontNow() {
    if (RichText1->ReadOnly()) return;
    DefaultFontFields font;
    font.name = DefFontName;
    font.size = DefFontSize;
    font.bold = DefFontBold;
    font.color = DefFontColor;
    const int index = RichText1->InternFont(DefFontName);
    RichText1->SetCurrentAttributes(DefaultFontAttributes(RichText1->CurrentAttributes(), index, font,
                                                          RichText1->RtfText().header));
}

bool TMainScreen::SaveRichText() {
    try {
        std::string stored;
        if (!RichText1->IsTextEmpty()) stored = StoredEntryText(RichText1->SaveToRtfText());
        if (EntryExists || !stored.empty()) EntryExists = store_->SaveEntry(CurrentDate, stored);
    } catch (const std::exception& e) {
        ShowInformation(QString("The entry for %1 could not be saved.\n\n%2")
                            .arg(QString::fromStdString(LongDateText(CurrentDate)),
                                 QString::fromStdString(e.what())));
        return false;
    }
    QApplication::processEvents();
    return true;
}

bool TMainScreen::SaveButtonClick() {
    if (!EditPending()) return true;  // an unchanged entry is never re-written
    if (!tableOpen_) {
        ShowInformation("The diary is not open, so the entry cannot be saved.");
        return false;
    }
    if (!SaveRichText()) return false;
    // The page is stored: its recovery copy has done its work.
    recovery_.Remove();
    LoadRichText();
    SaveButton->hide();
    CancelButton->hide();
    return true;
}

void TMainScreen::CancelButtonClick() {
    LoadRichText();
    SaveButton->hide();
    CancelButton->hide();
    recovery_.Remove();
}

void TMainScreen::RichText1Change() {
    SaveButton->show();
    CancelButton->show();
    // Restarted by every change: the copy is written once typing pauses.
    if (recoveryTimer_) recoveryTimer_->start();
}

void TMainScreen::SetRecoveryDelay(int milliseconds) {
    recoveryDelay_ = milliseconds;
    if (recoveryTimer_) recoveryTimer_->setInterval(milliseconds);
}

void TMainScreen::RichText1KeyDown(int& key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    const bool tab = key == Qt::Key_Tab || key == Qt::Key_Backtab;
    const bool paste = key == Qt::Key_V && held == Qt::ControlModifier;
    if (tab || key == Qt::Key_Delete || paste) RichText1->Changed();
}

void TMainScreen::WriteRecoveryCopy() {
    if (!EditPending()) return;
    try {
        const std::string text = RichText1->SaveToRtfText();
        if (tableOpen_ && store_->KeyState() != 0) {
            // A protected diary keeps no text in the clear, not even here:
            // without the key there is no copy.
            std::string sealed;
            if (!store_->SealOwnText(text, RecoveryBinding(CurrentDate), sealed)) return;
            recovery_.Write(CurrentDate, sealed, true);
        } else {
            recovery_.Write(CurrentDate, text);
        }
    } catch (const std::exception&) {
        // The copy is a safety net; a full disk must not interrupt typing.
        // The next pause tries again.
    }
}

void TMainScreen::OfferRecoveryCopy() {
    if (!recovery_.Exists()) return;
    std::optional<RecoveredPage> page = recovery_.Read();
    if (!page) {
        recovery_.Remove();
        return;
    }
    if (page->sealed) {
        std::string text;
        if (!tableOpen_ || !store_->OpenOwnText(page->text, RecoveryBinding(page->day), text)) {
            // Another password's copy, or a damaged one: it may still be
            // someone's only text of that day, so it is moved, not deleted.
            const std::string aside = recovery_.KeepAside();
            ShowInformation(
                aside.empty()
                    ? QString("The unsaved text in %1 cannot be opened with this diary's password. "
                              "The file was left as it is.")
                          .arg(QString::fromStdString(recovery_.Path()))
                    : QString("The unsaved text in %1 cannot be opened with this diary's password. "
                              "It was kept as %2.")
                          .arg(QString::fromStdString(recovery_.Path()), QString::fromStdString(aside)));
            return;
        }
        page->text = std::move(text);
    }
    const QString day = QString::fromStdString(LongDateText(page->day));
    if (!AskConfirmation(QString("Restore the unsaved text of %1?").arg(day))) {
        recovery_.Remove();
        return;
    }
    CurrentDate = page->day;
    FindDateRecord();
    LoadRichText();
    RichText1->Clear();
    try {
        if (!page->text.empty()) RichText1->LoadFromText(page->text, setup_.diaryFolder);
    } catch (const std::exception& e) {
        ShowInformation(QString::fromStdString(e.what()));
    }
    RichText1->GotoStart();
    // The restored page is an edit not yet saved: Save stores it, Cancel
    // goes back to what the table holds. The copy stays until then.
    RichText1->Changed();
}

void TMainScreen::SaveForSessionEnd() {
    if (!EditPending()) return;
    if (!SaveButtonClick()) WriteRecoveryCopy();  // the next start offers it back
}

}  // namespace quill
