// The printed page taken from the printer: the arithmetic from printable
// area, offsets and resolution, the page of a real QPrinter set up for
// Letter or A4, and where the header, its rule, the text and the footer
// land on a PDF page.

#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>
#include <cmath>

#include "print/print_destination.h"
#include "print/print_page_setup.h"
#include "print/print_status_form.h"
#include "print/storage_print_source.h"
#include "richtext/widget/rich_text.h"
#include "tests/print/print_test_support.h"
#include "tests/storage/test_diary.h"

namespace quill {
namespace {

TEST(PrintPageSize, PaperFromPrintableAreaOffsetsAndResolution) {
  struct Case {
    TPrinterPage page;
    int width, height;  // twips
  } cases[] = {
      // Letter at 300 dpi with a quarter-inch unprintable edge.
      {{2400, 3150, 75, 75, 300, 300}, 12240, 15840},
      // The whole paper printable.
      {{2550, 3300, 0, 0, 300, 300}, 12240, 15840},
      // Different resolutions across and down; fractions are cut.
      {{1190, 1680, 10, 20, 144, 200}, 12100, 12384},
      {{4959, 7015, 0, 0, 600, 600}, 11901, 16836},
  };
  for (const Case& c : cases) {
    TTextHeader h;
    ASSERT_TRUE(ApplyPrintPageSize(h, c.page));
    EXPECT_EQ(h.pageWidth, c.width);
    EXPECT_EQ(h.pageHeight, c.height);
    EXPECT_EQ(h.marginLeft, 1440);
    EXPECT_EQ(h.marginRight, 1440);
    EXPECT_EQ(h.marginTop, 1440);
    EXPECT_EQ(h.marginBottom, 1440);
  }
  // A printer that tells no resolution leaves the page alone.
  TTextHeader h;
  EXPECT_FALSE(ApplyPrintPageSize(h, {2400, 3150, 75, 75, 0, 0}));
  EXPECT_EQ(h.pageWidth, 12240);
  EXPECT_EQ(h.marginLeft, 1880);
}

TEST(PrintPageSize, FileNamesOfTheSeparateJob) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"/tmp/Diary.pdf", "/tmp/Diary-20240105.pdf"},
      {"/tmp/my.diary.PDF", "/tmp/my.diary-20240105.PDF"},
      {"/tmp/Diary", "/tmp/Diary-20240105"},
      {"/tmp/dir.v2/Diary", "/tmp/dir.v2/Diary-20240105"},
      {"/tmp/.pdf", "/tmp/.pdf-20240105"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameWithKey(c.in, "20240105").toStdString(), c.out) << c.in;
  EXPECT_EQ(FileNameWithKey("/tmp/Diary.pdf", "").toStdString(), "/tmp/Diary.pdf");
}

TEST(PrintPageSize, NoPrintersInstalledOnlyWithoutPrinterAndPdf) {
  EXPECT_TRUE(CanPrint({"Office"}, false));
  EXPECT_TRUE(CanPrint({}, true));
  EXPECT_TRUE(CanPrint({"Office"}, true));
  EXPECT_FALSE(CanPrint({}, false));
  EXPECT_TRUE(PdfOutputPossible());
}

class PrintedPage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo) is not installed";
    ASSERT_TRUE(dir.isValid());
    folder = dir.filePath("diary/").toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    storage = test::OpenDiary(folder);
    storage->DailyBackups = false;
    test::SaveDay(*storage, test::D(2024, 3, 1), test::EntryFor(test::D(2024, 3, 1)));
  }

  // Prints 1 March 2024 alone on PRINTER's page; returns the form's
  // printed document header.
  TTextHeader PrintOn(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    TPrintDestination destination(printer, dir.filePath("Page.pdf"));
    TStoragePrintSource source(*storage);
    TPrintStatusForm f;
    f.Mode = kModeCurrentOnly;
    f.StartDate = test::D(2024, 3, 1);
    f.Entries = &source;
    f.Destination = &destination;
    f.FormActivate();
    EXPECT_EQ(f.StatusText().toStdString(), kStatusCompleted);
    EXPECT_EQ(f.TruePrinterPageWidth(), TruePageWidth(PrinterPageOf(printer)));
    return f.RichTextAllPurpose->RtfText().header;
  }
  QString Pdf() const { return dir.filePath("Page-20240301.pdf"); }

  QTemporaryDir dir;
  std::string folder;
  std::unique_ptr<DiaryStorage> storage;
};

TEST_F(PrintedPage, LetterAndA4PagesComeFromThePrinterWithOneInchMargins) {
  const struct {
    QPageSize::PageSizeId id;
    QMarginsF margins;  // millimetres the printer cannot reach
    double wPt, hPt;
  } cases[] = {
      {QPageSize::Letter, {6.35, 6.35, 6.35, 6.35}, 612, 792},
      {QPageSize::A4, {0, 0, 0, 0}, 595.28, 841.89},
      {QPageSize::A4, {5, 10, 5, 10}, 595.28, 841.89},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QPageSize::name(c.id).toStdString());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(c.id));
    printer.setPageMargins(c.margins, QPageLayout::Millimeter);
    const TTextHeader h = PrintOn(printer);
    // Twips of the paper, cut to whole twips by the arithmetic.
    EXPECT_NEAR(h.pageWidth, c.wPt * 20, 20);
    EXPECT_NEAR(h.pageHeight, c.hPt * 20, 20);
    EXPECT_EQ(h.marginLeft, 1440);
    EXPECT_EQ(h.marginTop, 1440);
    EXPECT_EQ(h.marginRight, 1440);
    EXPECT_EQ(h.marginBottom, 1440);
    double w = 0, ht = 0;
    ASSERT_TRUE(test::PdfPageSize(Pdf(), w, ht));
    EXPECT_NEAR(w, c.wPt, 1.5);
    EXPECT_NEAR(ht, c.hPt, 1.5);
  }
}

TEST_F(PrintedPage, HeaderSitsHalfWayDownTheTopMarginAndTheTextAtOneInch) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  PrintOn(printer);
  // The header's top-left corner is at the left margin, half an inch down.
  const test::WordBox header = test::FindWord(Pdf(), "Friday,");
  ASSERT_GE(header.xMin, 0);
  EXPECT_NEAR(header.xMin, 72, 2);
  EXPECT_NEAR(header.yMin, 36, 3);
  // Arial 12 points: the header's box is about 12 to 14 points high.
  EXPECT_NEAR(header.yMax - header.yMin, 13.5, 2.5);
  // The entry starts below the rule, at the one-inch margin.
  const test::WordBox text = test::FindWord(Pdf(), "Day");
  ASSERT_GE(text.xMin, 0);
  EXPECT_NEAR(text.xMin, 72, 2);
  EXPECT_GE(text.yMin, 70);
  EXPECT_LE(text.yMin, 80);
}

}  // namespace
}  // namespace quill
