// Printing documents into PDF files through the page loop and reading the
// pages back with poppler's tools: pages, the text on each page, the header
// and footer drawn by the handlers, the fonts used and where text lands.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "richtext/model/document_append.h"
#include "richtext/widget/document_printing.h"
#include "richtext/widget/qt_font_metrics.h"
#include "richtext/widget/qt_printer.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::DocBuilder;

constexpr int kDpi = 300;

// Output of a poppler tool, or nothing when it is not installed.
std::string RunTool(const char* tool, const QStringList& args) {
  const QString exe = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (exe.isEmpty()) return {};
  QProcess p;
  p.start(exe, args);
  p.waitForFinished(30000);
  return p.readAllStandardOutput().toStdString();
}

bool HavePoppler() { return !QStandardPaths::findExecutable("pdftotext").isEmpty(); }

// The text of each page, in reading order.
std::vector<std::string> PdfPages(const QString& pdf) {
  const std::string all = RunTool("pdftotext", {"-layout", pdf, "-"});
  std::vector<std::string> pages;
  size_t start = 0;
  for (size_t ff; (ff = all.find('\f', start)) != std::string::npos; start = ff + 1)
    pages.push_back(all.substr(start, ff - start));
  return pages;
}

int PdfPageCount(const QString& pdf) {
  std::smatch m;
  const std::string info = RunTool("pdfinfo", {pdf});
  return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

std::vector<std::string> Matches(const std::string& text, const char* pattern) {
  std::vector<std::string> out;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
    out.push_back(it->str());
  return out;
}

std::string Words(const std::string& text) {
  std::string s;
  for (const auto& w : Matches(text, "\\S+")) s += (s.empty() ? "" : " ") + w;
  return s;
}

// A word's box on its page in points, from pdftotext's bounding boxes.
struct WordBox {
  double xMin = -1, yMin = -1;
};
WordBox FindWord(const QString& pdf, const std::string& word) {
  const std::string html = RunTool("pdftotext", {"-bbox", pdf, "-"});
  std::smatch m;
  const std::regex re("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>" + word + "</word>");
  if (!std::regex_search(html, m, re)) return {};
  return {std::stod(m[1]), std::stod(m[2])};
}

// Header "Page N" in Arial 12 points bold italic above a rule; footer
// "Footer N" below a rule. Each call is recorded with the page and line
// numbers the loop passed.
struct PageDecoration {
  std::vector<std::pair<int, int>> headers, footers;  // page, line number
  TPrintHandlers Handlers(int dpi = kDpi) {
    TPrintHandlers h;
    h.PrintHeader = [this, dpi](void*, TCanvas& c, int x, int y, int w, int hh, int page, int line) {
      headers.push_back({page, line});
      TTextRunStyle style;
      style.font = TFontSpec{"Arial", 12, uint8_t(csBold | csItalic), dpi, dpi};
      c.DrawText(x, y + hh / 2, 0, 0, 0, "Page " + std::to_string(page), style);
      c.DrawLine(x, y + hh - hh / 4, x + w, y + hh - hh / 4, 0);
    };
    h.PrintFooter = [this, dpi](void*, TCanvas& c, int x, int y, int w, int hh, int page, int line) {
      footers.push_back({page, line});
      c.DrawLine(x, y, x + w, y, 0);
      TTextRunStyle style;
      style.font = TFontSpec{"Arial", 10, 0, dpi, dpi};
      c.DrawText(x, y + hh / 2, 0, 0, 0, "Footer " + std::to_string(page), style);
    };
    return h;
  }
};

// One-line paragraphs "Line 01", "Line 02", ... in Arial 10 points on a
// page four inches high with one-inch margins: two inches of text a page.
void SmallPages(DocBuilder& b, int paragraphs) {
  TTextHeader& h = b.doc.header;
  h.pageHeight = 4 * 1440;
  h.marginLeft = h.marginRight = h.marginTop = h.marginBottom = 1440;
  h.RecomputeTextSize();
  for (int i = 1; i <= paragraphs; ++i) {
    if (i > 1) b.Par();
    char text[16];
    std::snprintf(text, sizeof text, "Line %02d", i);
    b.Text(text);
  }
}

class PdfPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePoppler()) GTEST_SKIP() << "poppler-utils (pdftotext, pdfinfo, pdffonts) is not installed";
    ASSERT_TRUE(dir.isValid());
  }
  QString Pdf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

  QTemporaryDir dir;
  PageDecoration deco;
};

TEST_F(PdfPrint, PagesHoldTheLinesTheLoopPutOnThemWithHeaderAndFooter) {
  DocBuilder b;
  SmallPages(b, 40);
  TParagraph* breakBefore = b.doc.firstParagraph;
  for (int i = 1; i < 20; ++i) breakBefore = breakBefore->next;  // "Line 20"
  breakBefore->flags |= pfPageBreak;

  const QString pdf = Pdf("paginated.pdf");
  ASSERT_TRUE(PrintToPdf(b.doc, pdf, deco.Handlers(), kDpi));

  const std::vector<std::string> pages = PdfPages(pdf);
  ASSERT_GE(pages.size(), 4u);  // two inches hold about a dozen lines
  EXPECT_EQ(PdfPageCount(pdf), int(pages.size()));
  ASSERT_EQ(deco.headers.size(), pages.size());
  ASSERT_EQ(deco.footers.size(), pages.size());

  bool sawOverflow = false, sawBreak = false;
  for (size_t i = 0; i < pages.size(); ++i) {
    const int page = int(i) + 1;
    EXPECT_EQ(deco.headers[i].first, page);
    EXPECT_EQ(deco.footers[i].first, page);
    // One line per paragraph: the header's line number is the first line
    // of the page, the next page's the one after its last.
    const int first = deco.headers[i].second;
    const int end = i + 1 < pages.size() ? deco.headers[i + 1].second : 41;
    std::vector<std::string> expected;
    for (int n = first; n < end; ++n) expected.push_back((n < 10 ? "Line 0" : "Line ") + std::to_string(n));
    EXPECT_EQ(Matches(pages[i], "Line \\d\\d"), expected) << "page " << page;
    EXPECT_EQ(Matches(pages[i], "Page \\d+"), std::vector<std::string>{"Page " + std::to_string(page)});
    EXPECT_EQ(Matches(pages[i], "Footer \\d+"), std::vector<std::string>{"Footer " + std::to_string(page)});
    if (first == 20) sawBreak = true;
    else if (first > 1) sawOverflow = true;
    // The footer is called after the page's last line.
    EXPECT_EQ(deco.footers[i].second, end);
  }
  EXPECT_TRUE(sawBreak) << "the flagged paragraph does not start a page";
  EXPECT_TRUE(sawOverflow) << "no page began by overflow";
}

TEST_F(PdfPrint, LeadingPageBreakGivesAnEmptyFirstPageWithHeaderAndFooter) {
  DocBuilder b;
  SmallPages(b, 2);
  b.doc.firstParagraph->flags |= pfPageBreak;
  const QString pdf = Pdf("leading.pdf");
  ASSERT_TRUE(PrintToPdf(b.doc, pdf, deco.Handlers()));  // at the default resolution
  const std::vector<std::string> pages = PdfPages(pdf);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(Words(pages[0]), "Page 1 Footer 1");
  EXPECT_EQ(Words(pages[1]), "Page 2 Line 01 Line 02 Footer 2");
}

TEST_F(PdfPrint, MergedEntriesPrintInTheirOwnFonts) {
  // The editor whose header the merged document takes over knows only Arial.
  DocBuilder editor;
  editor.Text("editor");
  DocBuilder serif, mono;
  serif.doc.header.fontTable[0].Assign("Times New Roman");
  serif.Text("Serif entry");
  mono.doc.header.fontTable[0].Assign("Courier New");
  mono.Text("Mono entry");

  TRTFText merged;
  merged.ClearDocument();
  TCharAttr blank = merged.defaultAttr;
  TCharAttr date = merged.defaultAttr;
  CopyHeaderFrom(merged, editor.doc);
  date.font = uint8_t(merged.InternFont("arial"));
  date.style = csBold | csItalic;
  for (const TRTFText* entry : {&serif.doc, &mono.doc}) {
    AppendParagraph(merged, " ", blank);
    AppendParagraph(merged, entry == &serif.doc ? "Monday" : "Tuesday", date);
    AppendParagraph(merged, " ", blank);
    FastAppendText(merged, *entry);
  }

  const QString pdf = Pdf("merged.pdf");
  ASSERT_TRUE(PrintToPdf(merged, pdf, {}, kDpi));
  EXPECT_EQ(Words(PdfPages(pdf).at(0)), "Monday Serif entry Tuesday Mono entry");
  const std::string fonts = RunTool("pdffonts", {pdf});
  EXPECT_NE(fonts.find("LiberationSerif"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationMono"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("LiberationSans-BoldItalic"), std::string::npos) << fonts;
}

TEST_F(PdfPrint, TextStandsAtTheDocumentsMarginsWhateverThePrintersMargins) {
  struct Case {
    const char* name;
    double printerMarginMm;  // < 0: the whole page printable
  };
  for (const Case& c : {Case{"full page", -1}, Case{"20 mm printer margins", 20}, Case{"5 mm", 5}}) {
    SCOPED_TRACE(c.name);
    DocBuilder b;
    b.Text("Body");
    b.doc.header.marginLeft = b.doc.header.marginTop = 1440;  // 72 points
    const QString pdf = Pdf("margins.pdf");
    PageDecoration d;
    bool printed = false;
    if (c.printerMarginMm < 0) {
      printed = PrintToPdf(b.doc, pdf, d.Handlers(), kDpi);
    } else {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setResolution(kDpi);
      printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                        QMarginsF(c.printerMarginMm, c.printerMarginMm, c.printerMarginMm,
                                                  c.printerMarginMm),
                                        QPageLayout::Millimeter));
      TQtFontMetrics fonts;
      TRTFTextPaint paint(b.doc, fonts);
      printed = PrintOnPrinter(paint, printer, d.Handlers());
    }
    ASSERT_TRUE(printed);
    const WordBox body = FindWord(pdf, "Body");
    // One printer pixel right of the margin, the top of the letters just
    // below it.
    EXPECT_NEAR(body.xMin, 72.0, 1.5);
    EXPECT_GE(body.yMin, 72.0);
    EXPECT_LT(body.yMin, 80.0);
    // The header text starts at the left margin too.
    EXPECT_NEAR(FindWord(pdf, "Page").xMin, 72.0, 1.5);
  }
}

TEST(QtPrinter, GeometryOfAPdfPrinterWithMargins) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(kDpi);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                    QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter));
  TQtPrinter p(printer);
  EXPECT_EQ(p.ResolutionX(), kDpi);
  EXPECT_EQ(p.ResolutionY(), kDpi);
  int x = -1, y = -1;
  ASSERT_TRUE(p.PrintableOffset(x, y));
  // Qt keeps margins in whole points: a pixel or two either way.
  EXPECT_NEAR(x, 10 / 25.4 * kDpi, 2);
  EXPECT_NEAR(y, 20 / 25.4 * kDpi, 2);
  EXPECT_NEAR(p.PrintableWidth(), 8.5 * kDpi - 2 * x, 2);
  EXPECT_NEAR(p.PrintableHeight(), 11 * kDpi - 2 * y, 2);
  EXPECT_TRUE(p.Canvas().IsPrinter());

  printer.setFullPage(true);
  ASSERT_TRUE(p.PrintableOffset(x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(PdfPrintLayout, ScreenLayoutComesBackAndAFailedPrintChangesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  DocBuilder b;
  b.Text("A paragraph long enough to wrap into several lines in a narrow editor window but into fewer on a page.");
  TQtFontMetrics fonts;
  TRTFTextPaint paint(b.doc, fonts);
  paint.BeginUpdate();
  paint.SetResolution(96, 96);
  paint.SetWindowWidth(200);
  paint.SetWordWrap(true);
  paint.EndUpdate();
  paint.RelayoutAll();
  auto lines = [&b] {
    std::vector<std::string> out;
    for (const TLine* l = b.doc.firstParagraph->firstLine; l; l = l->next) out.emplace_back(l->Text());
    return out;
  };
  const std::vector<std::string> screen = lines();
  ASSERT_GT(screen.size(), 3u);

  ASSERT_TRUE(PrintToPdf(paint, dir.filePath("restored.pdf")));
  EXPECT_EQ(lines(), screen);
  EXPECT_EQ(paint.ResolutionX(), 96);
  EXPECT_TRUE(paint.WordWrap());
  EXPECT_EQ(&paint.FontMetrics(), static_cast<TFontMetrics*>(&fonts));

  // A folder that does not exist: nothing printed, nothing changed.
  EXPECT_FALSE(PrintToPdf(paint, dir.filePath("missing/folder/out.pdf")));
  EXPECT_EQ(lines(), screen);
  EXPECT_FALSE(QFile::exists(dir.filePath("missing/folder/out.pdf")));
}

TEST(PdfPrintFile, AnEarlierFileIsReplacedWholeOrKept) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  DocBuilder b;
  SmallPages(b, 30);
  const QString pdf = dir.filePath("entry.pdf");
  {
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier file");
  }
  ASSERT_TRUE(PrintToPdf(b.doc, pdf, {}, kDpi));
  EXPECT_EQ(PdfPageCount(pdf), 3);

  // A target that cannot be replaced (a folder of that name): false, the
  // folder stays, and no part file is left beside it.
  const QString folder = dir.filePath("taken.pdf");
  ASSERT_TRUE(QDir().mkdir(folder));
  EXPECT_FALSE(PrintToPdf(b.doc, folder, {}, kDpi));
  EXPECT_TRUE(QFileInfo(folder).isDir());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
            (QStringList{"entry.pdf", "taken.pdf"}));
}

}  // namespace
}  // namespace quill
