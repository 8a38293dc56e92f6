#include "richtext/io/rtf_text_io.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "richtext/io/html_text.h"
#include "richtext/io/plain_text.h"
#include "richtext/io/rtf_reader.h"
#include "richtext/io/text_input.h"

namespace quill {

namespace {

bool TagIsHtml(std::string_view name) {
  static constexpr std::string_view kNames[] = {"html", "b", "p", "br", "title", "body", "h1"};
  for (auto n : kNames) {
    if (n.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < n.size() && same; ++i) {
      char c = name[i];
      if (c >= 'A' && c <= 'Z') c = char(c + 32);
      same = c == n[i];
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

TLoadFormat TRTFTextIo::DetectFormat(std::string_view head) {
  size_t i = 0;
  while (i < head.size() && (head[i] == ' ' || head[i] == '\n' || head[i] == '\r' || head[i] == '\t' || head[i] == '\b'))
    ++i;
  if (head.substr(i, 5) == "{\\rtf") return FormatRTF;
  const std::string_view scan = head.substr(0, std::min<size_t>(head.size(), 2000));
  for (size_t p = 0; p < scan.size(); ++p) {
    if (scan[p] != '<') continue;
    const size_t close = scan.find('>', p + 1);
    if (close == std::string_view::npos) break;
    const size_t len = close - p - 1;
    if (len >= 1 && len <= 9 && TagIsHtml(scan.substr(p + 1, len))) return FormatHTML;
  }
  return FormatANSI;
}

int TRTFTextIo::LoadFromFile(const std::string& path, TLoadFormat format) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    lastResult = 7;
    lastError = "Cannot open file " + path;
    return lastResult;
  }
  return Load(bytes, format, true);
}

int TRTFTextIo::LoadFromStream(std::istream& in, TLoadFormat format) {
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Load(bytes, format, false);
}

int TRTFTextIo::LoadFromBytes(std::string_view bytes, TLoadFormat format) { return Load(bytes, format, false); }

int TRTFTextIo::ReadRTF(std::string_view bytes) {
  doc_.ClearDocument();
  doc_.header.title.clear();
  doc_.header.subject.clear();
  doc_.header.comment.clear();
  return Load(bytes, FormatRTF, false);
}

int TRTFTextIo::Load(std::string_view bytes, TLoadFormat format, bool recordFormat) {
  lastResult = 0;
  lastError.clear();
  if (format != FormatRTF && format != FormatANSI && format != FormatHTML) format = DetectFormat(bytes);

  const bool replace = doc_.IsEmpty();
  if (replace) {
    if (format == FormatANSI && bytes.size() > kPlainTextLimit) {
      doc_.SetMemoryFormat(fmPlainText);
    } else if (format != FormatANSI && doc_.plainMode) {
      // A formatted load must not inherit the plain mode of an earlier big
      // text file: its attributes would be dropped.
      doc_.SetMemoryFormat(fmRichText);
    }
    doc_.header.title.clear();
    doc_.header.subject.clear();
    doc_.header.comment.clear();
  }

  std::unique_ptr<TTextReader> reader;
  if (format == FormatRTF) {
    auto r = std::make_unique<TRTFReader>(&doc_.header, &doc_);
    r->pictureFolder = pictureFolder;
    reader = std::move(r);
  } else if (format == FormatHTML) {
    reader = std::make_unique<THtmlReader>(&doc_.header, &doc_);
  } else {
    reader = std::make_unique<TTextReader>(&doc_.header, &doc_);
  }
  reader->onProgress = onProgress;
  if (replace) reader->SetStartParagraph(doc_.firstParagraph);

  TMemoryInput input(bytes);
  TParagraph* first = nullptr;
  try {
    reader->Read(input, &first);
  } catch (const std::exception& e) {
    lastResult = 7;
    lastError = e.what();
  } catch (...) {
    lastResult = 7;
    lastError = "Internal Error";
  }
  if (!replace && first) {
    try {
      SpliceAtCaret(first);
    } catch (const std::exception& e) {
      // The text read is dropped; the document stays as it was.
      lastResult = 7;
      lastError = e.what();
    }
  }
  if (replace) doc_.header.RecomputeTextSize();
  if (recordFormat) doc_.header.loadedFormat = uint8_t(format);
  doc_.Changed();
  return lastResult;
}

void TRTFTextIo::SpliceAtCaret(TParagraph* chain) {
  caret = doc_.InsertChain(caret, chain);
}

int ReadRtfDocument(TRTFText& doc, std::string_view rtf) {
  TRTFTextIo io(doc);
  return io.ReadRTF(rtf);
}

}  // namespace quill
