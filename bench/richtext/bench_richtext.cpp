// Rich text throughput: reading and writing typical diary entries (a mix of
// 200 bytes to 50 KB, and one 5 MB document), memory per character of text,
// and conversion to text against unrtf.
//
// Pages built to be slow (tens of thousands of footnotes) are timed too;
// --hostile times only those.
//
// usage: bench_richtext [--quick] [--hostile] [--keep DIR]

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_documents.h"
#include "bench/bench_figures.h"
#include "richtext/io/rtf_text_io.h"
#include "richtext/io/rtf_writer.h"
#include "richtext/io/text_writer.h"
#include "richtext/model/rtf_text.h"

namespace fs = std::filesystem;
using namespace quill;
using quill::bench::CpuNow;
using quill::bench::TextLength;
using quill::bench::WriteRtf;

namespace {

// Figures are in CPU time of this process (CpuNow) and of unrtf's
// processes, so that other work on a shared machine does not skew them.
double ChildrenCpu() {
  rusage ru{};
  getrusage(RUSAGE_CHILDREN, &ru);
  auto sec = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
  return sec(ru.ru_utime) + sec(ru.ru_stime);
}

const char* const kWords[] = {
    "the", "and", "I", "was", "to", "a", "of", "it", "in", "we", "today", "morning", "rain",
    "walked", "garden", "letter", "mother", "wrote", "evening", "caf\xE9", "na\xEFve", "M\xFCller",
    "Stra\xDF" "e", "\xE9t\xE9", "quiet", "friends", "dinner", "long", "tired", "happy", "work",
    "meeting", "train", "station", "book", "read", "slept", "early", "late", "coffee", "\x93nice\x94",
    "don't", "it's", "e-mail", "10:30", "2 km", "{note}", "C:\\diary", "\x80" "20", "weather",
};

// A diary entry of about `bytes` of RTF: paragraphs of words, now and then a
// bold, italic or coloured phrase, a font change or a tab.
void MakeEntry(TRTFText& doc, size_t bytes, std::mt19937& rng) {
  doc.ClearDocument();
  doc.header.InternFont("Times New Roman");
  doc.header.InternFont("Courier New");
  const uint32_t tab = doc.FindOrAddTab(1440, tkLeft);
  TParagraph* par = doc.firstParagraph;
  TLine* line = par->firstLine;
  TCharAttr plain = doc.defaultAttr;
  plain.size = 10;
  std::uniform_int_distribution<int> word(0, int(std::size(kWords)) - 1);
  std::uniform_int_distribution<int> hundred(0, 99);
  // RTF takes about 1.6 bytes per character of text in such entries.
  const size_t target = bytes * 3 / 5;
  size_t chars = 0;
  int wordsInPar = 0;
  int parLength = 20 + hundred(rng);
  TCharAttr attr = plain;
  int styledLeft = 0;
  while (chars < target) {
    if (styledLeft == 0 && hundred(rng) < 4) {
      attr = plain;
      const int k = hundred(rng) % 5;
      if (k == 0) attr.style = csBold;
      if (k == 1) attr.style = csItalic;
      if (k == 2) attr.SetTextColor(uint8_t(1 + hundred(rng) % 14));
      if (k == 3) attr.font = 1;
      if (k == 4) attr.size = 14;
      styledLeft = 1 + hundred(rng) % 6;
    } else if (styledLeft > 0 && --styledLeft == 0) {
      attr = plain;
    }
    const char* w = kWords[word(rng)];
    if (wordsInPar > 0) doc.AppendChar(line, ' ', attr);
    for (const char* c = w; *c; ++c) doc.AppendChar(line, uint8_t(*c), attr);
    chars += std::char_traits<char>::length(w) + 1;
    if (line->length > 60) line = doc.NewLine(line, 80);
    if (++wordsInPar >= parLength) {
      if (hundred(rng) < 10) par->tabMask = tab;
      par = doc.NewParagraph(par, 80);
      par->tabMask = 0;
      par->alignment = hundred(rng) < 5 ? alCenter : alLeft;
      line = par->firstLine;
      wordsInPar = 0;
      parLength = 20 + hundred(rng);
    }
  }
}

// Takes the bytes into a 64 KB buffer that is emptied when full, as the
// file stream of a save does before each write to the disk.
class BufferSink : public TWriteStream {
 public:
  size_t Write(const void* data, size_t n) override {
    if (used_ + n > sizeof buffer_) used_ = 0;
    if (n <= sizeof buffer_) {
      std::memcpy(buffer_ + used_, data, n);
      used_ += n;
    }
    total += n;
    return n;
  }
  size_t total = 0;

 private:
  char buffer_[64 * 1024];
  size_t used_ = 0;
};

struct Rate {
  double mbPerSecond = 0;
  double seconds = 0;
};

// Repeats `pass` (which handles `bytes` bytes) for at least minSeconds.
template <typename F>
Rate Measure(size_t bytes, double minSeconds, F pass) {
  int runs = 0;
  const double start = CpuNow();
  double elapsed = 0;
  do {
    pass();
    ++runs;
    elapsed = CpuNow() - start;
  } while (elapsed < minSeconds);
  return {double(bytes) * runs / elapsed / 1e6, elapsed / runs};
}

size_t HeapInUse() {
  struct mallinfo2 mi = mallinfo2();
  return mi.uordblks + mi.hblkhd;
}

// Runs `unrtf --text` on each file; returns the CPU time its processes took
// (the shell's included), or -1 when unrtf is missing or fails.
// unrtf's CPU time for FILES, the best of three rounds: a busy machine can
// only make a round slower, and the best round is the fairest to unrtf.
double TimeUnrtf(const std::vector<fs::path>& files) {
  double best = -1;
  for (int round = 0; round < 3; ++round) {
    const double start = ChildrenCpu();
    for (const auto& f : files) {
      const std::string cmd = "unrtf --text '" + f.string() + "' >/dev/null 2>&1";
      const int rc = std::system(cmd.c_str());
      if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) return -1;
    }
    const double seconds = ChildrenCpu() - start;
    if (best < 0 || seconds < best) best = seconds;
  }
  return best;
}

void Row(const char* figure, const std::string& value, const char* goal) {
  std::printf("| %-44s | %16s | %-10s |\n", figure, value.c_str(), goal);
}

std::string Fmt(double v, const char* unit) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.1f %s", v, unit);
  return buf;
}

// CPU seconds of one run of f.
template <typename F>
double SecondsOf(F f) {
  const double start = CpuNow();
  f();
  return CpuNow() - start;
}

// Pages whose cost must stay linear in their size.
void HostileRows() {
  const int notes = 70000;
  std::string rtf = "{\\rtf1 ";
  for (int i = 0; i < notes; ++i) rtf += "x{\\footnote n}";
  rtf += "}";
  TRTFText doc;
  const double load = SecondsOf([&] {
    if (ReadRtfDocument(doc, rtf) != 0) std::exit(1);
  });
  const double save = SecondsOf([&] { WriteRtf(doc); });
  Row("load, 70000 footnotes", Fmt(load * 1000, "ms"), "< 1000");
  Row("save, 70000 footnotes", Fmt(save * 1000, "ms"), "< 1000");

  const int depth = 65536, definitions = 200000;
  std::string deep = "{\\rtf1 " + std::string(depth, '{') + "{\\fonttbl";
  for (int i = 0; i < definitions; ++i) deep += i % 2 ? "{\\f0 Beta;}" : "{\\f0 Alpha;}";
  deep += "}a" + std::string(depth, '}') + "}";
  const double nested = SecondsOf([&] {
    TRTFText d;
    if (ReadRtfDocument(d, deep) != 0) std::exit(1);
  });
  Row("load, 200000 font 0 definitions 65536 deep", Fmt(nested * 1000, "ms"), "< 1000");
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  bool hostileOnly = false;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      quick = true;
    } else if (a == "--hostile") {
      hostileOnly = true;
    } else if (a == "--keep" && i + 1 < argc) {
      keep = argv[++i];
    } else {
      std::fprintf(stderr, "usage: bench_richtext [--quick] [--hostile] [--keep DIR]\n");
      return 2;
    }
  }
  auto tableHead = [] {
    std::printf("| %-44s | %16s | %-10s |\n", "figure", "value", "goal");
    std::printf("|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(18, '-').c_str(),
                std::string(12, '-').c_str());
  };
  if (hostileOnly) {
    std::printf("bench_richtext (CPU time): pages built to be slow\n\n");
    tableHead();
    HostileRows();
    return 0;
  }
  const double minSeconds = quick ? 0.2 : 1.0;

  // The inputs: a mix of entry sizes, log-uniform from 200 bytes to 50 KB,
  // and one document of 5 MB.
  std::mt19937 rng(20240601);
  std::vector<std::string> mix;
  size_t mixBytes = 0;
  const int entries = quick ? 60 : 200;
  {
    TRTFText doc;
    std::uniform_real_distribution<double> logSize(std::log(200.0), std::log(50000.0));
    for (int i = 0; i < entries; ++i) {
      MakeEntry(doc, size_t(std::exp(logSize(rng))), rng);
      mix.push_back(WriteRtf(doc));
      mixBytes += mix.back().size();
    }
  }
  std::string big;
  {
    TRTFText doc;
    MakeEntry(doc, 5u << 20, rng);
    big = WriteRtf(doc);
  }

  // Reading.
  const Rate readMix = Measure(mixBytes, minSeconds, [&] {
    for (const auto& rtf : mix) {
      TRTFText doc;
      if (ReadRtfDocument(doc, rtf) != 0) std::exit(1);
    }
  });
  const Rate readBig = Measure(big.size(), minSeconds, [&] {
    TRTFText doc;
    if (ReadRtfDocument(doc, big) != 0) std::exit(1);
  });

  // Writing, from documents read once.
  std::vector<std::unique_ptr<TRTFText>> docs;
  for (const auto& rtf : mix) {
    docs.push_back(std::make_unique<TRTFText>());
    ReadRtfDocument(*docs.back(), rtf);
  }
  size_t writtenMix = 0;
  for (const auto& d : docs) writtenMix += WriteRtf(*d).size();
  static BufferSink sink;
  const Rate writeMix = Measure(writtenMix, minSeconds, [&] {
    for (const auto& d : docs) {
      TRTFWriter w(*d, sink);
      w.Write();
    }
  });

  // Memory per character: heap held by the document read from the 5 MB file.
  size_t bigChars = 0;
  double bytesPerChar = 0;
  Rate writeBig;
  {
    const size_t before = HeapInUse();
    auto doc = std::make_unique<TRTFText>();
    ReadRtfDocument(*doc, big);
    const size_t after = HeapInUse();
    bigChars = TextLength(*doc);
    bytesPerChar = double(after - before) / double(bigChars);
    const size_t written = WriteRtf(*doc).size();
    writeBig = Measure(written, minSeconds, [&] {
      TRTFWriter w(*doc, sink);
      w.Write();
    });
  }

  // Conversion to text, ours (read, then write plain text) against unrtf on
  // the same files.
  const fs::path dir = keep.empty() ? fs::temp_directory_path() /
                                          ("quill_bench_richtext_" + std::to_string(::getpid()))
                                    : fs::path(keep);
  fs::create_directories(dir);
  std::vector<fs::path> mixFiles;
  for (size_t i = 0; i < mix.size(); ++i) {
    mixFiles.push_back(dir / ("entry" + std::to_string(i) + ".rtf"));
    std::ofstream(mixFiles.back(), std::ios::binary) << mix[i];
  }
  const fs::path bigFile = dir / "big.rtf";
  std::ofstream(bigFile, std::ios::binary) << big;

  // The text goes through the same 64 KB buffer as the writes above, as
  // unrtf's goes to /dev/null: neither side keeps it.
  auto toText = [](const std::string& rtf) {
    TRTFText doc;
    ReadRtfDocument(doc, rtf);
    const size_t before = sink.total;
    TTextWriter w(doc, sink);
    w.Write();
    return sink.total - before;
  };
  const Rate oursMix = Measure(mixBytes, minSeconds, [&] {
    for (const auto& rtf : mix) toText(rtf);
  });
  const Rate oursBig = Measure(big.size(), minSeconds, [&] { toText(big); });
  const double unrtfMixSeconds = TimeUnrtf(mixFiles);
  const double unrtfBigSeconds = TimeUnrtf({bigFile});
  if (keep.empty()) fs::remove_all(dir);

  std::printf("bench_richtext (CPU time): %d entries of 200 B to 50 KB (%.2f MB of RTF), one document of "
              "%.2f MB\n\n",
              entries, mixBytes / 1e6, big.size() / 1e6);
  tableHead();
  Row("read, diary entry mix", Fmt(readMix.mbPerSecond, "MB/s"), ">= 100");
  Row("read, 5 MB document", Fmt(readBig.mbPerSecond, "MB/s"), ">= 100");
  Row("write, diary entry mix (64 KB file buffer)", Fmt(writeMix.mbPerSecond, "MB/s"), ">= 200");
  Row("write, 5 MB document (64 KB file buffer)", Fmt(writeBig.mbPerSecond, "MB/s"), ">= 200");
  Row("memory per character of text (5 MB doc)", Fmt(bytesPerChar, "bytes"), "");
  Row("to text, ours, entry mix", Fmt(oursMix.mbPerSecond, "MB/s"), "");
  Row("to text, ours, 5 MB document", Fmt(oursBig.mbPerSecond, "MB/s"), "");
  if (unrtfMixSeconds > 0 && unrtfBigSeconds > 0) {
    const double unrtfMix = mixBytes / unrtfMixSeconds / 1e6;
    const double unrtfBig = big.size() / unrtfBigSeconds / 1e6;
    Row("to text, unrtf --text, entry mix", Fmt(unrtfMix, "MB/s"), "");
    Row("to text, unrtf --text, 5 MB document", Fmt(unrtfBig, "MB/s"), "");
    Row("ours / unrtf, entry mix", Fmt(oursMix.mbPerSecond / unrtfMix, "x"), ">= 10");
    Row("ours / unrtf, 5 MB document", Fmt(oursBig.mbPerSecond / unrtfBig, "x"), ">= 10");
  } else {
    Row("to text, unrtf --text", "not run", "unrtf missing or failed");
  }
  HostileRows();
  std::printf("\n(%zu characters in the 5 MB document)\n", bigChars);
  return 0;
}
