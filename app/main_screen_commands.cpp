// The main window's commands: moving between days, inserting today's date,
// word wrap, the default font, page breaks, paragraph properties, and the
// entry points of printing and rebuilding. Every command that leaves the
// current page saves a pending edit first and stops when that save fails.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "app/default_font_dialog.h"
#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/paragraph_prop_dlg.h"
#include "dates/date_text.h"
#include "richtext/widget/rich_text.h"

namespace quill {

void TMainScreen::WireCommands() {
    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
    connect(Nextbutton, &QPushButton::clicked, this, [this] { NextButtonClick(); });
    connect(PriorButton, &QPushButton::clicked, this, [this] { PriorButtonClick(); });
    connect(FirstButton, &QPushButton::clicked, this, [this] { FirstButtonClick(); });
    connect(LastButton, &QPushButton::clicked, this, [this] { LastButtonClick(); });
    connect(CalendarButton, &QPushButton::clicked, this, [this] { CalendarButtonClick(); });
    CalendarButton->setEnabled(bool(dateDialog_));

    // A locked window keeps its menu items' states aside and gives them back
    // on unlocking; enabling now would be undone by that.
    auto wire = [this](QAction* action, auto handler) {
        SetCommandEnabled(action, true);
        connect(action, &QAction::triggered, this, handler);
    };
    wire(EnterDate1, [this] { EnterDate1Click(); });
    wire(mnuWrapTexttofitScreen, [this] { mnuWrapTexttofitScreenClick(); });
    wire(RebuildIndexes1, [this] { RebuildIndexes1Click(); });

    for (QToolButton* b : {DocPageBreakButton, ParagraphSetupButton, DocWordWrapButton})
        if (b) b->setEnabled(true);
    if (DocPageBreakButton)
        connect(DocPageBreakButton, &QToolButton::clicked, this, [this] { DocPageBreakButtonClick(); });
    if (ParagraphSetupButton)
        connect(ParagraphSetupButton, &QToolButton::clicked, this, [this] { ParagraphSetupButtonClick(); });
    if (DocWordWrapButton)
        connect(DocWordWrapButton, &QToolButton::clicked, this, [this] { DocWordWrapButtonClick(); });

    recoveryTimer_ = new QTimer(this);
    recoveryTimer_->setSingleShot(true);
    recoveryTimer_->setInterval(recoveryDelay_);
    connect(recoveryTimer_, &QTimer::timeout, this, [this] { WriteRecoveryCopy(); });

}

void TMainScreen::SetDateDialog(std::function<std::optional<Date>(Date)> dialog) {
    dateDialog_ = std::move(dialog);
    CalendarButton->setEnabled(bool(dateDialog_));
}

void TMainScreen::MoveToDay(Date day) {
    CurrentDate = day;
    FindDateRecord();
    LoadRichText();
}

void TMainScreen::NextButtonClick() {
    if (!SaveButtonClick()) return;
    MoveToDay(AddDays(CurrentDate, 1));
}

void TMainScreen::PriorButtonClick() {
    if (!SaveButtonClick()) return;
    MoveToDay(AddDays(CurrentDate, -1));
}

void TMainScreen::FirstButtonClick() {
    if (!SaveButtonClick()) return;
    MoveToDay(tableOpen_ ? store_->FirstEntry() : Clock());
}

void TMainScreen::LastButtonClick() {
    if (!SaveButtonClick()) return;
    MoveToDay(tableOpen_ ? store_->LastEntry() : Clock());
}

void TMainScreen::CalendarButtonClick() {
    if (!dateDialog_) return;
    const std::optional<Date> chosen = dateDialog_(CurrentDate);
    if (!chosen) return;  // cancelled: a pending edit stays pending
    // The save finds the current day's record by its key, wherever the
    // dialog's lookups left the data set.
    if (!SaveButtonClick()) return;
    MoveToDay(*chosen);
}

void TMainScreen::EnterDate1Click() {
    RichText1->InsertText(FormatDate(Clock(), "ddddd") + " ");
    RichText1->Paint();
    QApplication::processEvents();
}

void TMainScreen::WordWrapToggle() {
    const bool on = !RichText1->WordWrap();
    mnuWrapTexttofitScreen->setChecked(on);
    RichText1->SetWordWrap(on);
    RichText1->Reformat();
    if (DocWordWrapButton) DocWordWrapButton->setToolTip(on ? "Toggle word wrap off" : "Toggle word wrap on");
}

void TMainScreen::mnuWrapTexttofitScreenClick() {
    // The menu item has already flipped its own check mark; the editor's
    // state is the one to invert.
    WordWrapToggle();
}

void TMainScreen::DocWordWrapButtonClick() { WordWrapToggle(); }

void TMainScreen::DocPageBreakButtonClick() { RichText1->InsertPageBreak(); }

void TMainScreen::ParagraphSetupButtonClick() {
    TParagraphPropDlg dialog(RichText1, this);
    CenterOverMainWindow(&dialog);
    dialog.exec();
}

void TMainScreen::RebuildIndexes1Click() {
    if (!SaveButtonClick()) return;
    if (RebuildDialog) RebuildDialog();
    MoveToDay(CurrentDate);
}

}  // namespace quill
