#pragma once
// The "Print Status" dialog: runs one of the three print jobs when it is
// shown, loading each day's entry into a hidden editor and printing it with
// the page header (the date, or "Diary Entries" for the merged job) and the
// footer rule, while its label shows progress and Cancel stays usable.

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "dates/date_keys.h"
#include "richtext/layout/canvas.h"
#include "richtext/widget/qt_font_metrics.h"

class QLabel;
class QPushButton;

namespace quill {

class TPrintDestination;
class TPrintEntrySource;
class TRichText;
class TRTFText;

// The job modes, as the menu commands pass them.
inline constexpr const char* kModeCurrentOnly = "CURRENTONLY";
inline constexpr const char* kModeMultipleMerge = "MULTIPLEMERGE";
inline constexpr const char* kModeMultipleSeparate = "MULTIPLESEPARATE";

inline constexpr const char* kStatusPrinting = "Printing";
inline constexpr const char* kStatusPrinted = "Printed ";
inline constexpr const char* kStatusCompleted = "Completed";
inline constexpr const char* kStatusCancelled = "Cancelled";
inline constexpr const char* kStatusTooManyPages = "Error - too many pages";
inline constexpr const char* kMergedHeader = "Diary Entries";
// The file an entry passes through on its way from the table to an editor.
inline constexpr const char* kScratchFileName = "Eraseme.rtf";

class TPrintStatusForm : public QDialog {
  Q_OBJECT
 public:
  explicit TPrintStatusForm(QWidget* parent = nullptr);
  ~TPrintStatusForm() override;

  // ---- set by the caller before the dialog is shown --------------------------
  QString Mode;
  Date StartDate;
  // The last day of the forward jobs; today when unset.
  std::optional<Date> EndDate;
  TPrintEntrySource* Entries = nullptr;
  TPrintDestination* Destination = nullptr;
  // The entry editor's document, whose header (tables, page) the merged
  // document starts from; none: a cleared document's.
  const TRTFText* MainDocument = nullptr;
  // Folder of the scratch file; an entry is loaded from memory when the
  // file cannot be written there.
  std::string ScratchFolder;
  // A protected diary's text never touches the disk in the clear: each entry
  // is then loaded from memory (pictures still looked up in ScratchFolder).
  bool LoadFromMemory = false;
  std::function<Date()> TodayDate = [] { return Today(); };
  // Told of every status text (quillbook-tool shows them as lines).
  std::function<void(const QString&)> OnStatus;

  // ---- handlers --------------------------------------------------------------
  void FormCreate();
  // Runs the job of the mode, once; the dialog starts it itself when shown.
  void FormActivate();
  void CancelButtonClick();
  // The printed document's page from the printer's, one-inch margins.
  void SetPrintPageSize();
  int TruePrinterPageWidth() const;
  int TruePrinterPageHeight() const;
  void RichTextAllPurposePrintHeader(void* Sender, TCanvas& prCanvas, int x, int y, int w, int h, int PageNumber,
                                     int LineNumber);
  void RichTextAllPurposePrintFooter(void* Sender, TCanvas& prCanvas, int x, int y, int w, int h, int PageNumber,
                                     int LineNumber);

  // ---- state -------------------------------------------------------------------
  bool Cancelled() const { return cancelled_; }
  // The job ran to its end (completed, cancelled or failed).
  bool JobOver() const { return jobOver_; }
  // The header text of the page being printed (Windows-1252).
  const std::string& HeaderText() const { return headerText_; }
  QString StatusText() const;
  // Whether the button now closes the dialog.
  bool ShowsOk() const { return showsOk_; }

  QLabel* printerstatus;
  QPushButton* CancelButton;
  // The document that is printed, and the one each entry of the merged job
  // is loaded into first; neither is ever shown on screen.
  TRichText* RichTextAllPurpose;
  TRichText* RichTextLoader;

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape and the window's close box act as the button does.
  void reject() override;

 private:
  void RunSeparateJob(Date last);
  void RunMergedJob(Date last);
  // Seeks DAY and, when found, loads its text into TARGET; true when the
  // day has an entry whose page is not empty.
  bool LoadDay(Date day, TRichText& target);
  void LoadEntryText(TRichText& target, const std::string& text);
  // Sets the page, prints the document of RichTextAllPurpose as one job
  // (KEY names the day for the separate job's PDF files); false when the
  // printer or the file refused it.
  bool PrintAllPurpose(const std::string& key);
  void ShowPrintedDay(Date day);
  void SetStatus(const QString& text);
  void TurnIntoOk();
  // Window events, so that Cancel is seen; true when the job is to stop.
  bool ProcessEventsAndCheckCancel();
  void Fail(const QString& status);
  void PlaceAllPurposeBeyondEdge(bool visible);

  bool started_ = false;
  bool cancelled_ = false;
  bool jobOver_ = false;
  bool showsOk_ = false;
  std::string headerText_;
  int headerDpiX_ = 96;
  int headerDpiY_ = 96;
  TQtFontMetrics headerFonts_;
};

}  // namespace quill
