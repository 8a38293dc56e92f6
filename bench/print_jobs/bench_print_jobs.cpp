// The merged and the separate print job of the Print Status dialog, from a
// diary table of 1,000 entries into PDF: loading every day from the table
// through the scratch file, merging, laying out and drawing the pages.
//
// usage: bench_print_jobs [ENTRIES [KEEP.pdf]]   (default 1000; KEEP.pdf keeps
// a copy of the merged PDF)

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bench/bench_figures.h"
#include "print/print_destination.h"
#include "print/print_status_form.h"
#include "print/storage_print_source.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"

using namespace quill;
using quill::bench::CpuNow;
using quill::bench::MillisSince;
using quill::bench::WallClock;

namespace {

const char* const kWords[] = {"the", "and", "I", "was", "to", "a", "of", "it", "in", "we", "today", "morning",
                              "rain", "walked", "garden", "letter", "mother", "wrote", "evening", "caf\\'e9"};
const char* const kFonts[] = {"Arial", "Times New Roman", "Courier New", "Georgia", "Verdana"};

// About 1.5 KB of text in five paragraphs, two fonts and a colour of its
// own, as a stored entry.
std::string EntryRtf(std::mt19937& rng, int day) {
  std::string rtf = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss ";
  rtf += kFonts[day % 5];
  rtf += ";}{\\f1\\froman ";
  rtf += kFonts[(day + 1) % 5];
  rtf += ";}}{\\colortbl;\\red0\\green0\\blue0;\\red" + std::to_string(day % 256) + "\\green" +
         std::to_string(day * 7 % 256) + "\\blue" + std::to_string(day * 13 % 256) + ";}\r\n";
  for (int par = 0; par < 5; ++par) {
    rtf += "\\pard\\plain\\f0\\fs20 ";
    int length = 0;
    while (length < 300) {
      const bool marked = rng() % 9 == 0;
      const std::string word = kWords[rng() % 20];
      rtf += marked ? "{\\f1\\cf2\\b " + word + "} " : word + " ";
      length += int(word.size()) + 1;
    }
    rtf += "\\par\r\n";
  }
  return StoredEntryText(rtf + "}\r\n");
}

struct Figures {
  double wall = 0, cpu = 0;
  int files = 0;
  double megabytes = 0;
  QString status;
};

Figures RunJob(DiaryStorage& storage, const char* mode, Date first, Date last, const QString& pdf,
               const std::string& scratch) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::Letter));
  TPrintDestination destination(printer, pdf);
  TStoragePrintSource source(storage);
  TPrintStatusForm form;
  form.Mode = mode;
  form.StartDate = first;
  form.EndDate = last;
  form.Entries = &source;
  form.Destination = &destination;
  form.ScratchFolder = scratch;
  Figures f;
  const WallClock::time_point w0 = WallClock::now();
  const double c0 = CpuNow();
  form.FormActivate();
  f.wall = MillisSince(w0) / 1000;
  f.cpu = CpuNow() - c0;
  f.status = form.StatusText();
  f.files = int(destination.FilesWritten().size());
  for (const QString& file : destination.FilesWritten()) f.megabytes += QFileInfo(file).size() / 1e6;
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

  QTemporaryDir dir;
  const std::string folder = dir.filePath("diary/").toStdString();
  QDir().mkpath(QString::fromStdString(folder));
  DiaryStorage storage(folder);
  if (!storage.OpenDiaryFile()) {
    std::fprintf(stderr, "cannot open the diary: %s\n", storage.LastError().c_str());
    return 1;
  }
  storage.DailyBackups = false;
  // Entries on six days of every seven, so that the walk also meets empty
  // days.
  std::mt19937 rng(42);
  const Date first{2020, 1, 1};
  Date day = first, last = first;
  for (int made = 0; made < entries; day = AddDays(day, 1)) {
    if (DayOfWeek(day) == 0) continue;
    storage.FindDateRecord(day);
    storage.SaveEntry(day, EntryRtf(rng, made));
    last = day;
    ++made;
  }

  std::printf("%d entries, %s to %s\n\n", entries, DateToKey(first).c_str(), DateToKey(last).c_str());
  std::printf("%-36s %9s %9s %7s %9s  %s\n", "job", "wall s", "cpu s", "files", "MB", "status");
  QDir().mkpath(dir.filePath("out"));
  const std::string scratch = folder;
  const Figures merged =
      RunJob(storage, kModeMultipleMerge, first, last, dir.filePath("out/Merged.pdf"), scratch);
  std::printf("%-36s %9.3f %9.3f %7d %9.1f  %s\n", "merged, one PDF", merged.wall, merged.cpu, merged.files,
              merged.megabytes, merged.status.toUtf8().constData());
  const Figures separate =
      RunJob(storage, kModeMultipleSeparate, first, last, dir.filePath("out/Day.pdf"), scratch);
  std::printf("%-36s %9.3f %9.3f %7d %9.1f  %s\n", "separate, one PDF per entry", separate.wall, separate.cpu,
              separate.files, separate.megabytes, separate.status.toUtf8().constData());
  if (argc > 2) {
    QFile::remove(QString::fromLocal8Bit(argv[2]));
    QFile::copy(dir.filePath("out/Merged.pdf"), QString::fromLocal8Bit(argv[2]));
  }
  std::printf("\ngoal: merged print of 1,000 entries <= 5 s: %s (%.2f s wall)\n",
              merged.wall <= 5.0 ? "met" : "NOT met", merged.wall);
  return 0;
}
