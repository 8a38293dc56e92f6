#include "print/print_status_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "dates/date_text.h"
#include "print/print_destination.h"
#include "print/print_entry_source.h"
#include "richtext/io/rtf_text_io.h"
#include "richtext/model/document_append.h"
#include "richtext/widget/rich_text.h"
#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

// Date texts come from the locale as UTF-8; documents and the printer's
// canvas take Windows-1252.
std::string ToWin1252(const std::string& utf8) {
  return Utf16ToWin1252(QString::fromStdString(utf8).toStdU16String());
}

// The scratch file exists only while one entry loads.
class ScratchFile {
 public:
  ScratchFile(const std::string& folder, const std::string& text) {
    if (folder.empty()) return;
    path_ = (std::filesystem::path(folder) / kScratchFileName).string();
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    written_ = bool(out);
  }
  ~ScratchFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  bool Written() const { return written_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool written_ = false;
};

// The hidden editors: Arial 8 points as the entry editor, no scroll bars.
TRichText* HiddenEditor(QWidget* parent, const char* name) {
  auto* editor = new TRichText(parent);
  editor->setObjectName(name);
  editor->SetScrollBars(ssNone);
  editor->hide();
  return editor;
}

}  // namespace

TPrintStatusForm::TPrintStatusForm(QWidget* parent) : QDialog(parent) {
  setObjectName("PrintStatusForm");
  setWindowTitle("Print Status");
  setModal(true);
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

  auto* column = new QVBoxLayout(this);
  printerstatus = new QLabel(this);
  printerstatus->setObjectName("printerstatus");
  printerstatus->setAlignment(Qt::AlignCenter);
  printerstatus->setMinimumWidth(220);
  column->addWidget(printerstatus);
  auto* row = new QHBoxLayout;
  row->addStretch();
  CancelButton = new QPushButton("Cancel", this);
  CancelButton->setObjectName("CancelButton");
  CancelButton->setDefault(true);
  row->addWidget(CancelButton);
  row->addStretch();
  column->addLayout(row);
  connect(CancelButton, &QPushButton::clicked, this, [this] {
    if (showsOk_)
      accept();
    else
      CancelButtonClick();
  });

  // Not in the layout: they live beside the dialog, never inside it.
  RichTextAllPurpose = HiddenEditor(this, "RichTextAllPurpose");
  RichTextLoader = HiddenEditor(this, "RichTextLoader");
  setFixedSize(280, 100);
  FormCreate();
}

TPrintStatusForm::~TPrintStatusForm() = default;

void TPrintStatusForm::FormCreate() {
  cancelled_ = false;
  SetStatus(kStatusPrinting);
}

void TPrintStatusForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The job runs inside the modal loop, once the dialog is on screen.
  if (!started_) QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TPrintStatusForm::reject() {
  if (showsOk_) {
    QDialog::reject();
    return;
  }
  CancelButtonClick();
}

void TPrintStatusForm::FormActivate() {
  if (started_) return;
  started_ = true;
  if (!Entries || !Destination) {
    jobOver_ = true;
    return;
  }
  const Date today = TodayDate ? TodayDate() : Today();
  if (Mode == kModeCurrentOnly) {
    RunSeparateJob(StartDate);
  } else if (Mode == kModeMultipleSeparate) {
    RunSeparateJob(EndDate.value_or(today));
  } else if (Mode == kModeMultipleMerge) {
    RunMergedJob(EndDate.value_or(today));
  }
  jobOver_ = true;
}

void TPrintStatusForm::CancelButtonClick() {
  cancelled_ = true;
  TurnIntoOk();
  SetStatus(kStatusCancelled);
}

void TPrintStatusForm::TurnIntoOk() {
  showsOk_ = true;
  CancelButton->setText("OK");
}

QString TPrintStatusForm::StatusText() const { return printerstatus->text(); }

void TPrintStatusForm::SetStatus(const QString& text) {
  printerstatus->setText(text);
  if (OnStatus) OnStatus(text);
}

void TPrintStatusForm::ShowPrintedDay(Date day) {
  SetStatus(kStatusPrinted + QString::fromStdString(ShortDateText(day)));
}

bool TPrintStatusForm::ProcessEventsAndCheckCancel() {
  QCoreApplication::processEvents();
  return cancelled_;
}

void TPrintStatusForm::Fail(const QString& status) {
  QApplication::beep();
  PlaceAllPurposeBeyondEdge(false);
  SetStatus(status);
}

void TPrintStatusForm::PlaceAllPurposeBeyondEdge(bool visible) {
  if (visible) {
    RichTextAllPurpose->move(width(), 0);
    RichTextAllPurpose->show();
  } else {
    RichTextAllPurpose->hide();
  }
}

// ---- one day -------------------------------------------------------------------

bool TPrintStatusForm::LoadDay(Date day, TRichText& target) {
  if (!Entries->FindDateRecord(day)) return false;
  LoadEntryText(target, Entries->CurrentEntryText());
  return !target.IsTextEmpty();
}

void TPrintStatusForm::LoadEntryText(TRichText& target, const std::string& text) {
  target.Clear();
  if (LoadFromMemory) {
    target.LoadFromText(text, ScratchFolder);
    return;
  }
  ScratchFile scratch(ScratchFolder, text);
  if (scratch.Written()) {
    target.LoadFromFile(scratch.Path());
    return;
  }
  // A read-only or full diary folder must not keep the entry from paper.
  TRTFTextIo io(target.RtfText());
  if (io.LoadFromBytes(text) != 0) throw TRichTextError(io.lastError.empty() ? "Internal Error" : io.lastError);
  target.Reformat();
}

// ---- the page ----------------------------------------------------------------------

int TPrintStatusForm::TruePrinterPageWidth() const { return Destination ? TruePageWidth(Destination->Page()) : 0; }
int TPrintStatusForm::TruePrinterPageHeight() const {
  return Destination ? TruePageHeight(Destination->Page()) : 0;
}

void TPrintStatusForm::SetPrintPageSize() {
  if (!Destination) return;
  ApplyPrintPageSize(RichTextAllPurpose->RtfText().header, Destination->Page());
  RichTextAllPurpose->Layout().PageSetupChanged();
}

void TPrintStatusForm::RichTextAllPurposePrintHeader(void*, TCanvas& prCanvas, int x, int y, int w, int h, int,
                                                     int) {
  TTextRunStyle style;
  style.font = TFontSpec{"Arial", 12, uint8_t(csBold | csItalic), headerDpiX_, headerDpiY_};
  const TFontMeasures m = headerFonts_.Measure(style.font);
  int width = 0;
  for (unsigned char c : headerText_) width += m.widths[c];
  // The text's top-left corner sits half-way down the header area.
  const int top = int(y + h * 0.5);
  prCanvas.DrawText(x, top + m.ascent, width, m.ascent, m.height, headerText_, style);
  const int ruleY = y + h - h / 4;
  prCanvas.DrawLine(x, ruleY, x + w, ruleY, 0, std::max(1, headerDpiY_ / 200));
}

void TPrintStatusForm::RichTextAllPurposePrintFooter(void*, TCanvas& prCanvas, int x, int y, int w, int, int, int) {
  prCanvas.DrawLine(x, y, x + w, y, 0, std::max(1, headerDpiY_ / 200));
}

bool TPrintStatusForm::PrintAllPurpose(const std::string& key) {
  headerDpiX_ = Destination->ResolutionX();
  headerDpiY_ = Destination->ResolutionY();
  TPrintHandlers handlers;
  handlers.Sender = this;
  handlers.PrintHeader = [this](void* s, TCanvas& c, int x, int y, int w, int h, int page, int line) {
    RichTextAllPurposePrintHeader(s, c, x, y, w, h, page, line);
  };
  handlers.PrintFooter = [this](void* s, TCanvas& c, int x, int y, int w, int h, int page, int line) {
    RichTextAllPurposePrintFooter(s, c, x, y, w, h, page, line);
  };
  return Destination->PrintJob(RichTextAllPurpose->Layout(), handlers, key);
}

// ---- the jobs ------------------------------------------------------------------------

void TPrintStatusForm::RunSeparateJob(Date last) {
  RichTextAllPurpose->Clear();
  PlaceAllPurposeBeyondEdge(true);
  try {
    for (Date d = StartDate; d <= last; d = AddDays(d, 1)) {
      if (LoadDay(d, *RichTextAllPurpose)) {
        headerText_ = ToWin1252(LongDateText(d));
        SetPrintPageSize();
        if (!PrintAllPurpose(DateToKey(d))) {
          Fail("Error - cannot print to " + Destination->LastTarget());
          return;
        }
      }
      ShowPrintedDay(d);
      if (ProcessEventsAndCheckCancel()) break;
      if (d.year >= 9999 && d.month == 12 && d.day == 31) break;
    }
  } catch (const std::exception&) {
    // The entries printed so far stay printed; the rest is not attempted.
    Fail(kStatusTooManyPages);
    return;
  }
  PlaceAllPurposeBeyondEdge(false);
  if (!cancelled_) SetStatus(kStatusCompleted);
  TurnIntoOk();
}

void TPrintStatusForm::RunMergedJob(Date last) {
  TRTFText& merged = RichTextAllPurpose->RtfText();
  RichTextAllPurpose->Clear();
  headerText_ = kMergedHeader;
  TCharAttr blank;
  blank.font = 0;
  blank.style = 0;
  blank.size = 10;
  if (MainDocument) CopyHeaderFrom(merged, *MainDocument);
  // Interned after the header is taken over: the entry editor's font table
  // replaces this document's, and "arial" may sit elsewhere in it.
  TCharAttr dateLine = blank;
  dateLine.font = uint8_t(RichTextAllPurpose->InternFont("arial"));
  dateLine.style = csBold | csItalic;
  try {
    TDocumentAppender appender(merged);
    // Nothing needs laying out while entries pass through the loader.
    RichTextLoader->BeginUpdate();
    struct Unlock {
      TRichText* editor;
      ~Unlock() { editor->EndUpdate(); }
    } unlock{RichTextLoader};
    for (Date d = StartDate; d <= last; d = AddDays(d, 1)) {
      if (LoadDay(d, *RichTextLoader)) {
        appender.AppendParagraph(" ", blank);
        appender.AppendParagraph(ToWin1252(LongDateText(d)), dateLine);
        appender.AppendParagraph(" ", blank);
        appender.FastAppendText(RichTextLoader->RtfText());
      }
      ShowPrintedDay(d);
      if (ProcessEventsAndCheckCancel()) break;
      if (d.year >= 9999 && d.month == 12 && d.day == 31) break;
    }
    if (!cancelled_) {
      SetPrintPageSize();
      PlaceAllPurposeBeyondEdge(true);
      const bool printed = PrintAllPurpose({});
      PlaceAllPurposeBeyondEdge(false);
      if (!printed) {
        Fail("Error - cannot print to " + Destination->LastTarget());
        return;
      }
    }
  } catch (const std::exception&) {
    Fail(kStatusTooManyPages);
    return;
  }
  TurnIntoOk();
  if (!cancelled_) SetStatus(kStatusCompleted);
}

}  // namespace quill
