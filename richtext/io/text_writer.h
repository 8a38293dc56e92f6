#pragma once
// The walking writer: goes over a document (or a range of it) paragraph by
// paragraph, line by line and run by run, and calls the output operations in
// a fixed order. This base class writes plain text; the RTF writer derives
// from it.
//
// Order: Header once; per paragraph ParagraphStart, the runs of each line
// (RunHeader, then RunText, an Object or a Footnote), ParagraphEnd when
// another paragraph follows or the paragraph is a table cell; Trailer once.
// Every operation returns 0 on success and 7 when the stream took fewer
// bytes than given; the first failure ends the walk.

#include <cstdint>
#include <string_view>

#include "richtext/io/write_stream.h"
#include "richtext/model/rtf_text.h"

namespace quill {

inline constexpr int kWriteOk = 0;
inline constexpr int kWriteFailed = 7;

struct TWriteOptions {
  bool omitInsertPoints = false;   // the editor hides insert points
  bool omitAutomaticText = false;  // the editor hides automatic text
  bool writeBitmapAsDib = false;   // WriteBitmapAsDib
  bool linkedPicturesAsHelpRefs = false;
};

// From (startParagraph, startLine, startPos) up to, not including,
// (endParagraph, endLine, endPos); positions are slots in their lines.
struct TTextRange {
  TParagraph* startParagraph = nullptr;
  TLine* startLine = nullptr;
  int startPos = 0;
  TParagraph* endParagraph = nullptr;
  TLine* endLine = nullptr;
  int endPos = 0;
};

class TTextWriter {
 public:
  TTextWriter(const TRTFText& document, TWriteStream& out, TWriteOptions options = {});
  virtual ~TTextWriter() = default;

  // Writes the whole document.
  int Write();
  // Writes a part of it in the same way.
  int WriteRange(const TTextRange& range);

 protected:
  virtual int Header() { return kWriteOk; }
  virtual int ParagraphStart(const TParagraph&) { return kWriteOk; }
  virtual int RunHeader(const TCharAttr&) { return kWriteOk; }
  // The characters of one run; attr is null in fmPlainText.
  virtual int RunText(const uint8_t* text, int len, const TCharAttr* attr);
  virtual int Object(uint8_t, const TCharAttr&) { return kWriteOk; }
  virtual int Footnote(uint8_t ch, const TCharAttr& attr) { return RunText(&ch, 1, &attr); }
  virtual int ParagraphEnd(const TParagraph& paragraph, bool anotherFollows);
  virtual int Trailer() { return kWriteOk; }

  int Put(const void* data, size_t n) {
    return out_.Write(data, n) == n ? kWriteOk : kWriteFailed;
  }
  int Put(std::string_view s) { return Put(s.data(), s.size()); }

  bool RichMode() const { return !doc_.plainMode; }
  // True when the run at this attribute writes no characters.
  bool SkipsText(const TCharAttr& a) const;

  const TRTFText& doc_;
  TWriteStream& out_;
  TWriteOptions options_;
  const TParagraph* previousParagraph_ = nullptr;

 private:
  int WriteLine(const TLine& line, int from, int to);
};

}  // namespace quill
