// The main window's print commands: the three print jobs of the "Print"
// menu and "Print Setup". Each saves a pending edit first.

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "app/printer_list.h"
#include "print/pdf_file_question.h"
#include "print/print_destination.h"
#include "print/print_entry_source.h"
#include "print/print_status_form.h"
#include "richtext/widget/rich_text.h"

namespace quill {

namespace {

constexpr const char* kNoPrinters = "No printers installed";

// The print jobs read the entries through the window's own table.
class StorePrintSource : public TPrintEntrySource {
public:
    explicit StorePrintSource(DiaryStore& store) : store_(store) {}
    bool FindDateRecord(Date day) override { return store_.FindDateRecord(day); }
    std::string CurrentEntryText() override { return store_.CurrentEntryText(); }

private:
    DiaryStore& store_;
};

// A system printer when there is one; otherwise pages go to PDF files.
bool PrintingPossible(const std::function<int()>& printerCount) {
    if (printerCount ? printerCount() > 0 : CanPrint(ProgramPrinters(), PdfOutputPossible())) return true;
    ShowInformation(kNoPrinters);
    return false;
}

}  // namespace

void TMainScreen::ConnectPrintCommands() {
    const struct {
        QAction* action;
        void (TMainScreen::*handler)();
    } commands[] = {
        {PrintcurrentEntryOnly, &TMainScreen::PrintcurrentEntryOnlyClick},
        {PrintCurrentEntryForwardMerged, &TMainScreen::PrintCurrentEntryForwardMergedClick},
        {PrintCurrentEntryForwardSeperatePages, &TMainScreen::PrintCurrentEntryForwardSeperatePagesClick},
        {PrintSetup1, &TMainScreen::PrintSetup1Click},
    };
    for (const auto& c : commands) {
        c.action->setEnabled(true);
        connect(c.action, &QAction::triggered, this, [this, h = c.handler] { (this->*h)(); });
    }
}

QPrinter& TMainScreen::SystemPrinter() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (ProgramPrinters().isEmpty()) printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    return *printer_;
}

void TMainScreen::PrintcurrentEntryOnlyClick() { RunPrintCommand(kModeCurrentOnly); }

void TMainScreen::PrintCurrentEntryForwardMergedClick() { RunPrintCommand(kModeMultipleMerge); }

void TMainScreen::PrintCurrentEntryForwardSeperatePagesClick() { RunPrintCommand(kModeMultipleSeparate); }

void TMainScreen::RunPrintCommand(const QString& mode) {
    if (!SaveButtonClick() || !PrintingPossible(PrinterCount)) return;
    PrintReport(mode);
    // The jobs walk the table: the day on screen is found and shown again.
    MoveToDay(CurrentDate);
}

void TMainScreen::PrintSetup1Click() {
    if (!SaveButtonClick() || !PrintingPossible(PrinterCount)) return;
    QPrintDialog dialog(&SystemPrinter(), this);
    dialog.setObjectName("PrintSetupDialog");
    dialog.setWindowTitle("Print Setup");
    // Only the printer and its paper are chosen here; the jobs decide what
    // is printed.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    CenterOverMainWindow(&dialog);
    dialog.exec();
}

void TMainScreen::PrintReport(const QString& mode) {
    if (!tableOpen_ || !store_) return;
    QPrinter& printer = SystemPrinter();
    QString pdfFile;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString suggested = printer.outputFileName().isEmpty() ? QDir::home().filePath("Diary.pdf")
                                                                     : printer.outputFileName();
        pdfFile = AskPdfFileName(this, suggested);
        if (pdfFile.isEmpty()) return;
        printer.setOutputFileName(pdfFile);
    }
    TPrintDestination destination(printer, pdfFile);
    StorePrintSource source(*store_);
    {
        TPrintStatusForm form(this);
        form.Mode = mode;
        form.StartDate = CurrentDate;
        form.Entries = &source;
        form.Destination = &destination;
        form.MainDocument = &RichText1->RtfText();
        form.ScratchFolder = setup_.diaryFolder;
        form.LoadFromMemory = store_->KeyState() != 0;
        CenterOverMainWindow(&form);
        form.exec();
    }
}

}  // namespace quill
