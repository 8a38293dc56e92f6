// Merging many diary entries into one document, as the merged print of all
// days from the current one does, and printing the result into a PDF file.
// Each entry has its own font and colour tables, so every append re-interns.
//
// usage: bench_print [--quick]

#include <time.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "richtext/model/document_append.h"
#include "richtext/model/rtf_text.h"
#include "richtext/widget/document_printing.h"

using namespace quill;
using quill::bench::CpuNow;

namespace {

const char* const kWords[] = {"the", "and", "I", "was", "to", "a", "of", "it", "in", "we", "today", "morning",
                              "rain", "walked", "garden", "letter", "mother", "wrote", "evening", "caf\xE9"};
const char* const kFonts[] = {"Arial", "Times New Roman", "Courier New", "Georgia", "Verdana"};

// An entry of about 1.5 KB in five paragraphs, in two of the fonts and a
// colour of its own.
void MakeEntry(TRTFText& doc, std::mt19937& rng, int day) {
  doc.ClearDocument();
  doc.header.fontTable[0].Assign(kFonts[day % 5]);
  doc.header.colorTable[2] = MakeRGB(uint8_t(day), uint8_t(day * 7), uint8_t(day * 13));
  TCharAttr plain = doc.defaultAttr;
  TCharAttr marked = plain;
  marked.font = uint8_t(doc.InternFont(kFonts[(day + 1) % 5]));
  marked.SetTextColor(2);
  TParagraph* p = doc.firstParagraph;
  for (int par = 0; par < 5; ++par) {
    if (par > 0) p = doc.NewParagraph(p, 40);
    std::string text;
    while (text.size() < 300) text += std::string(kWords[rng() % 20]) + " ";
    doc.InsertText({p, 0}, text, rng() % 4 == 0 ? &marked : &plain);
  }
}

// Header, a date line and a blank line, then the entry, N times.
double Merge(TRTFText& merged, int entries, bool oneAppender) {
  std::mt19937 rng(42);
  TRTFText entry;
  merged.ClearDocument();
  TCharAttr blank = merged.defaultAttr;
  TCharAttr date = blank;
  date.font = uint8_t(merged.InternFont("arial"));
  date.style = csBold | csItalic;
  TDocumentAppender app(merged);
  double spent = 0;
  for (int d = 0; d < entries; ++d) {
    MakeEntry(entry, rng, d);
    const double t0 = CpuNow();
    if (oneAppender) {
      app.AppendParagraph(" ", blank);
      app.AppendParagraph("Monday, 1 January 2024", date);
      app.AppendParagraph(" ", blank);
      app.FastAppendText(entry);
    } else {
      AppendParagraph(merged, " ", blank);
      AppendParagraph(merged, "Monday, 1 January 2024", date);
      AppendParagraph(merged, " ", blank);
      FastAppendText(merged, entry);
    }
    spent += CpuNow() - t0;
  }
  return spent;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;

  std::printf("%-44s %10s %12s\n", "merge", "seconds", "ms / entry");
  const std::vector<int> mergeSizes = quick ? std::vector<int>{365} : std::vector<int>{365, 3650};
  for (int entries : mergeSizes) {
    for (bool oneAppender : {true, false}) {
      if (!oneAppender && entries > 365 * 4) continue;  // walks the document per append
      TRTFText merged;
      const double s = Merge(merged, entries, oneAppender);
      std::printf("%5d entries, %-32s %10.3f %12.3f\n", entries,
                  oneAppender ? "one TDocumentAppender" : "free functions (walk per call)", s,
                  1000 * s / entries);
    }
  }

  QTemporaryDir dir;
  std::printf("\n%-44s %10s %12s %8s\n", "print to PDF", "seconds", "ms / page", "pages");
  const std::vector<int> printSizes = quick ? std::vector<int>{30} : std::vector<int>{30, 365};
  for (int entries : printSizes) {
    TRTFText merged;
    Merge(merged, entries, true);
    int pages = 0;
    TPrintHandlers handlers;
    handlers.PrintFooter = [&pages](void*, TCanvas&, int, int, int, int, int, int) { ++pages; };
    const QString pdf = dir.filePath("merged.pdf");
    const double t0 = CpuNow();
    const bool ok = PrintToPdf(merged, pdf, handlers);
    const double s = CpuNow() - t0;
    std::printf("%5d entries at %d dpi%-21s %10.3f %12.2f %8d  (%s, %.1f MB)\n", entries, kPdfResolution, "", s,
                pages ? 1000 * s / pages : 0.0, pages, ok ? "ok" : "FAILED", QFileInfo(pdf).size() / 1e6);
  }
  return 0;
}
