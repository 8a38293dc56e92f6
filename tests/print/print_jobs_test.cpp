// The three print jobs of the "Print Status" dialog printed into PDF files
// from a real diary table and read back with pdftotext: the headers, the
// merged job's date lines, days without entries, a current date after
// today, cancelling, failures, and the status texts on the way.

#include <fstream>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "dates/date_text.h"
#include "print/print_destination.h"
#include "print/print_status_form.h"
#include "print/storage_print_source.h"
#include "richtext/widget/rich_text.h"
#include "storage/entry_text.h"
#include "tests/print/print_test_support.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

using test::D;
using test::PdfPages;

const Date kMon = D(2024, 1, 1);
const Date kTue = D(2024, 1, 2);
const Date kWed = D(2024, 1, 3);
const Date kThu = D(2024, 1, 4);
const Date kFri = D(2024, 1, 5);

// A stored page that loads as empty: one paragraph without text.
std::string EmptyPage() { return StoredEntryText("{\\rtf1\\ansi\\deff0\\deftab720\\pard\\plain }"); }

std::string Dated(const char* prefix, Date d) { return prefix + ShortDateText(d); }

// Finds days in the table; can press Cancel (a real click) once a given day
// has been read, which the dialog sees when it processes window events.
class ClickingSource : public TStoragePrintSource {
 public:
  using TStoragePrintSource::TStoragePrintSource;
  bool FindDateRecord(Date day) override {
    seeks.push_back(DateToKey(day));
    if (form && clickAfter && day == *clickAfter)
      QTimer::singleShot(0, form, [f = form, esc = useEscape] {
        if (esc)
          QTest::keyClick(f, Qt::Key_Escape);
        else
          QTest::mouseClick(f->CancelButton, Qt::LeftButton);
      });
    return TStoragePrintSource::FindDateRecord(day);
  }
  TPrintStatusForm* form = nullptr;
  std::optional<Date> clickAfter;
  bool useEscape = false;
  std::vector<std::string> seeks;
};

class PrintJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) is not installed";
    ASSERT_TRUE(dir.isValid());
    diaryFolder = dir.filePath("diary/").toStdString();
    std::filesystem::create_directories(diaryFolder);
    storage = test::OpenDiary(diaryFolder);
    storage->DailyBackups = false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    // Monday and Wednesday have text, Tuesday nothing, Thursday an empty
    // page, Friday text again.
    test::SaveDay(*storage, kMon, test::EntryFor(kMon));
    test::SaveDay(*storage, kWed, test::EntryFor(kWed));
    test::SaveDay(*storage, kThu, EmptyPage());
    test::SaveDay(*storage, kFri, test::EntryFor(kFri));
    source = std::make_unique<ClickingSource>(*storage);
  }

  QString Pdf() const { return dir.filePath("out/Diary.pdf"); }

  // Runs MODE from START with today being TODAY; returns the status texts
  // shown after "Printing".
  std::vector<std::string> Run(const char* mode, Date start, Date today) {
    QDir().mkpath(dir.filePath("out"));
    destination = std::make_unique<TPrintDestination>(printer, Pdf());
    form = std::make_unique<TPrintStatusForm>();
    EXPECT_EQ(form->StatusText().toStdString(), kStatusPrinting);
    form->Mode = mode;
    form->StartDate = start;
    form->TodayDate = [today] { return today; };
    form->Entries = source.get();
    form->Destination = destination.get();
    form->ScratchFolder = diaryFolder;
    form->LoadFromMemory = loadFromMemory;
    source->form = form.get();
    std::vector<std::string> statuses;
    form->OnStatus = [&statuses](const QString& s) { statuses.push_back(s.toStdString()); };
    form->show();
    form->FormActivate();
    EXPECT_TRUE(form->JobOver());
    return statuses;
  }

  QStringList OutFiles() const { return QDir(dir.filePath("out")).entryList(QDir::Files, QDir::Name); }

  QTemporaryDir dir;
  std::string diaryFolder;
  bool loadFromMemory = false;
  std::unique_ptr<DiaryStorage> storage;
  std::unique_ptr<ClickingSource> source;
  QPrinter printer{QPrinter::HighResolution};
  std::unique_ptr<TPrintDestination> destination;
  std::unique_ptr<TPrintStatusForm> form;
};

TEST_F(PrintJobs, CurrentEntryOnlyPrintsThatDayUnderItsLongDate) {
  const auto statuses = Run(kModeCurrentOnly, kWed, kFri);
  EXPECT_EQ(statuses, (std::vector<std::string>{Dated("Printed ", kWed), kStatusCompleted}));
  EXPECT_TRUE(form->ShowsOk());
  EXPECT_EQ(form->CancelButton->text(), "OK");
  ASSERT_EQ(OutFiles(), QStringList{"Diary-20240103.pdf"});
  const auto pages = PdfPages(dir.filePath("out/Diary-20240103.pdf"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], "Wednesday, January 3, 2024 Day 20240103 caf\xC3\xA9");
  // The scratch file lives only while an entry loads.
  EXPECT_FALSE(std::filesystem::exists(diaryFolder + kScratchFileName));
}

TEST_F(PrintJobs, CurrentEntryOnlyOnDaysWithoutAPagePrintsNothing) {
  for (Date day : {kTue, kThu}) {
    SCOPED_TRACE(DateToKey(day));
    const auto statuses = Run(kModeCurrentOnly, day, kFri);
    EXPECT_EQ(statuses, (std::vector<std::string>{Dated("Printed ", day), kStatusCompleted}));
    EXPECT_TRUE(OutFiles().isEmpty());
    EXPECT_EQ(destination->JobsPrinted(), 0);
  }
}

TEST_F(PrintJobs, MergedJobHoldsEveryEntryUnderItsDateLineAndLeavesOutEmptyDays) {
  const auto statuses = Run(kModeMultipleMerge, kMon, kFri);
  EXPECT_EQ(statuses, (std::vector<std::string>{Dated("Printed ", kMon), Dated("Printed ", kTue),
                                                Dated("Printed ", kWed), Dated("Printed ", kThu),
                                                Dated("Printed ", kFri), kStatusCompleted}));
  EXPECT_EQ(form->HeaderText(), kMergedHeader);
  ASSERT_EQ(OutFiles(), QStringList{"Diary.pdf"});
  const auto pages = PdfPages(Pdf());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0],
            "Diary Entries Monday, January 1, 2024 Day 20240101 caf\xC3\xA9 "
            "Wednesday, January 3, 2024 Day 20240103 caf\xC3\xA9 "
            "Friday, January 5, 2024 Day 20240105 caf\xC3\xA9");
  // Every day of the range was looked up, also those without an entry.
  EXPECT_EQ(source->seeks, (std::vector<std::string>{"20240101", "20240102", "20240103", "20240104", "20240105"}));
}

TEST_F(PrintJobs, MergedJobStopsAtToday) {
  Run(kModeMultipleMerge, kWed, kThu);
  const auto pages = PdfPages(Pdf());
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], "Diary Entries Wednesday, January 3, 2024 Day 20240103 caf\xC3\xA9");
}

TEST_F(PrintJobs, SeparateJobWritesOneFilePerEntryWithItsDateKey) {
  const auto statuses = Run(kModeMultipleSeparate, kMon, kFri);
  EXPECT_EQ(statuses.size(), 6u);
  EXPECT_EQ(statuses.back(), kStatusCompleted);
  ASSERT_EQ(OutFiles(), (QStringList{"Diary-20240101.pdf", "Diary-20240103.pdf", "Diary-20240105.pdf"}));
  for (Date day : {kMon, kWed, kFri}) {
    const QString file = dir.filePath(QString::fromStdString("out/Diary-" + DateToKey(day) + ".pdf"));
    const auto pages = PdfPages(file);
    ASSERT_EQ(pages.size(), 1u) << file.toStdString();
    EXPECT_EQ(pages[0], LongDateText(day) + " Day " + DateToKey(day) + " caf\xC3\xA9");
  }
}

TEST_F(PrintJobs, ACurrentDateAfterTodayVisitsNoDay) {
  // The merged job still prints its document, empty but for the header.
  auto statuses = Run(kModeMultipleMerge, kFri, kThu);
  EXPECT_EQ(statuses, std::vector<std::string>{kStatusCompleted});
  ASSERT_EQ(OutFiles(), QStringList{"Diary.pdf"});
  EXPECT_EQ(PdfPages(Pdf()), std::vector<std::string>{"Diary Entries"});
  QFile::remove(Pdf());

  statuses = Run(kModeMultipleSeparate, kFri, kThu);
  EXPECT_EQ(statuses, std::vector<std::string>{kStatusCompleted});
  EXPECT_TRUE(OutFiles().isEmpty());
  EXPECT_TRUE(form->ShowsOk());
}

TEST_F(PrintJobs, CancelInTheMergedJobPrintsNothing) {
  source->clickAfter = kWed;
  const auto statuses = Run(kModeMultipleMerge, kMon, kFri);
  // The day in progress finishes; then the click is seen.
  EXPECT_EQ(statuses, (std::vector<std::string>{Dated("Printed ", kMon), Dated("Printed ", kTue),
                                                Dated("Printed ", kWed), kStatusCancelled}));
  EXPECT_TRUE(form->Cancelled());
  EXPECT_EQ(form->StatusText().toStdString(), kStatusCancelled);
  EXPECT_TRUE(OutFiles().isEmpty());
  // Cancel has turned into OK, which closes the dialog.
  EXPECT_EQ(form->CancelButton->text(), "OK");
  QTest::mouseClick(form->CancelButton, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(PrintJobs, CancelInTheSeparateJobKeepsWhatWasPrinted) {
  source->clickAfter = kWed;
  const auto statuses = Run(kModeMultipleSeparate, kMon, kFri);
  EXPECT_EQ(statuses.back(), kStatusCancelled);
  EXPECT_EQ(OutFiles(), (QStringList{"Diary-20240101.pdf", "Diary-20240103.pdf"}));
  EXPECT_EQ(form->StatusText().toStdString(), kStatusCancelled);
}

TEST_F(PrintJobs, EscapeDuringTheJobCancelsWithoutClosing) {
  source->clickAfter = kTue;
  source->useEscape = true;
  const auto statuses = Run(kModeMultipleMerge, kMon, kFri);
  EXPECT_EQ(statuses.back(), kStatusCancelled);
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(OutFiles().isEmpty());
  // Escape once the button says OK closes the dialog.
  QTest::keyClick(form.get(), Qt::Key_Escape);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(PrintJobs, TheDialogStartsItsJobWhenShownModally) {
  QDir().mkpath(dir.filePath("out"));
  destination = std::make_unique<TPrintDestination>(printer, Pdf());
  TPrintStatusForm f;
  f.Mode = kModeCurrentOnly;
  f.StartDate = kMon;
  f.Entries = source.get();
  f.Destination = destination.get();
  // Press OK once the job has ended, as the user would.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &f, [&f] {
    if (f.JobOver()) QTest::mouseClick(f.CancelButton, Qt::LeftButton);
  });
  poll.start(20);
  f.exec();
  EXPECT_EQ(f.StatusText().toStdString(), kStatusCompleted);
  EXPECT_EQ(OutFiles(), QStringList{"Diary-20240101.pdf"});
}

TEST_F(PrintJobs, AFileThatCannotBeWrittenStopsTheJobWithAMessage) {
  // The output folder is never created.
  destination = std::make_unique<TPrintDestination>(printer, dir.filePath("missing/Diary.pdf"));
  for (const char* mode : {kModeMultipleMerge, kModeMultipleSeparate}) {
    SCOPED_TRACE(mode);
    TPrintStatusForm f;
    f.Mode = mode;
    f.StartDate = kMon;
    f.TodayDate = [] { return kFri; };
    f.Entries = source.get();
    f.Destination = destination.get();
    f.FormActivate();
    EXPECT_TRUE(f.StatusText().startsWith("Error - cannot print to ")) << f.StatusText().toStdString();
    EXPECT_TRUE(f.StatusText().endsWith("Diary.pdf") || f.StatusText().endsWith("Diary-20240101.pdf"));
    EXPECT_FALSE(f.ShowsOk());
  }
}

TEST_F(PrintJobs, AnEntryPrintsAlsoWhenTheScratchFileCannotBeWritten) {
  const std::string folder = diaryFolder;
  diaryFolder = dir.filePath("no-such-folder/").toStdString();
  Run(kModeCurrentOnly, kFri, kFri);
  diaryFolder = folder;
  EXPECT_EQ(form->StatusText().toStdString(), kStatusCompleted);
  const auto pages = PdfPages(dir.filePath("out/Diary-20240105.pdf"));
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0], "Friday, January 5, 2024 Day 20240105 caf\xC3\xA9");
}

TEST_F(PrintJobs, LoadingFromMemoryWritesNoScratchFileAndPrintsTheSame) {
  // A link under the scratch file's name catches any write through it: the
  // text would land in the link's target.
  const std::string trap = dir.filePath("trap.rtf").toStdString();
  { std::ofstream(trap, std::ios::binary); }
  std::filesystem::create_symlink(trap, diaryFolder + kScratchFileName);
  loadFromMemory = true;
  Run(kModeMultipleMerge, kMon, kFri);
  EXPECT_EQ(form->StatusText().toStdString(), kStatusCompleted);
  const auto pages = PdfPages(Pdf());
  ASSERT_FALSE(pages.empty());
  std::string all;
  for (const auto& page : pages) all += page + "\n";
  for (Date day : {kMon, kWed, kFri})
    EXPECT_NE(all.find("Day " + DateToKey(day)), std::string::npos) << DateToKey(day);
  EXPECT_TRUE(std::filesystem::is_symlink(diaryFolder + kScratchFileName));
  EXPECT_EQ(std::filesystem::file_size(trap), 0u);
}

TEST_F(PrintJobs, DateLinesAreArialWhateverFontsTheEntryEditorsPageHas) {
  // The entry on screen knows no Arial: its table is Courier New and Times.
  TRichText mainEditor;
  TRTFText& main = mainEditor.RtfText();
  main.header.fontTable[0].Assign("Courier New");
  main.InternFont("Times New Roman");
  QDir().mkpath(dir.filePath("out"));
  destination = std::make_unique<TPrintDestination>(printer, Pdf());
  TPrintStatusForm f;
  f.Mode = kModeMultipleMerge;
  f.StartDate = kMon;
  f.TodayDate = [] { return kWed; };
  f.Entries = source.get();
  f.Destination = destination.get();
  f.MainDocument = &main;
  f.FormActivate();
  ASSERT_EQ(f.StatusText().toStdString(), kStatusCompleted);
  // The date lines ("Monday, January 1, 2024", ...) in Arial bold italic.
  const TRTFText& merged = f.RichTextAllPurpose->RtfText();
  std::vector<std::string> dateLines;
  for (const TParagraph* p = merged.firstParagraph; p; p = p->next) {
    // The hidden editor wraps at its own small width: join the lines.
    std::string text;
    for (const TLine* l = p->firstLine; l; l = l->next) text += l->Text();
    const TLine* line = p->firstLine;
    if (!line || text.find(", January ") == std::string::npos) continue;
    dateLines.push_back(text);
    const TCharAttr& a = line->attribs[0];
    EXPECT_TRUE(QString::fromStdString(std::string(merged.header.FontName(a.font)))
                    .compare("arial", Qt::CaseInsensitive) == 0)
        << merged.header.FontName(a.font);
    EXPECT_EQ(a.style, csBold | csItalic);
    EXPECT_EQ(a.PointSize(), 10);
  }
  EXPECT_EQ(dateLines, (std::vector<std::string>{"Monday, January 1, 2024", "Wednesday, January 3, 2024"}));
  // The blank line before the first date is in the page's first font.
  EXPECT_EQ(merged.firstParagraph->firstLine->Text(), " ");
  EXPECT_EQ(merged.firstParagraph->firstLine->attribs[0].font, 0);
  EXPECT_EQ(merged.header.FontName(0), "Courier New");
}

TEST_F(PrintJobs, ADamagedEntryStopsEitherJobWithTheErrorAndNothingMorePrinted) {
  class Failing : public TPrintEntrySource {
   public:
    bool FindDateRecord(Date day) override { return day == kWed || day == kMon; }
    std::string CurrentEntryText() override {
      if (++reads == 2) throw std::runtime_error("the memo block cannot be read");
      return test::EntryFor(kMon);
    }
    int reads = 0;
  };
  QDir().mkpath(dir.filePath("out"));
  destination = std::make_unique<TPrintDestination>(printer, Pdf());
  const struct {
    const char* mode;
    QStringList files;  // what stays printed
  } cases[] = {{kModeMultipleMerge, {}}, {kModeMultipleSeparate, {"Diary-20240101.pdf"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Failing failing;
    TPrintStatusForm f;
    f.Mode = c.mode;
    f.StartDate = kMon;
    f.TodayDate = [] { return kFri; };
    f.Entries = &failing;
    f.Destination = destination.get();
    f.FormActivate();
    EXPECT_EQ(f.StatusText().toStdString(), kStatusTooManyPages);
    EXPECT_EQ(f.CancelButton->text(), "Cancel");
    EXPECT_FALSE(f.RichTextAllPurpose->isVisible());
    EXPECT_EQ(OutFiles(), c.files);
  }
}

}  // namespace
}  // namespace quill
