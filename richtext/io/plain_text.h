#pragma once
// The plain-text reader (base of the RTF reader: input buffering and character
// appending) and the plain-text writer.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "richtext/io/text_input.h"
#include "richtext/model/rtf_text.h"

namespace quill {

class TTextReader {
 public:
  // Both must be set when Read runs, else it raises "Wrong Arguments in	TRTFReader".
  TTextReader(TTextHeader* header, TRTFText* document);
  virtual ~TTextReader();
  TTextReader(const TTextReader&) = delete;
  TTextReader& operator=(const TTextReader&) = delete;

  // Text goes to the end of this paragraph; with none (the default) the
  // reader builds a separate chain, returned by Read, that the caller then
  // owns: splice it in or free it with TRTFText::DisposeChain.
  void SetStartParagraph(TParagraph* paragraph) { startParagraph_ = paragraph; }
  // Reads the input from its current position. Returns 0 and the first
  // paragraph filled; raises TRichTextError (or std::bad_alloc) on failure,
  // after the paragraphs read so far have been post-processed.
  int Read(TTextInput& input, TParagraph** firstParagraph = nullptr);
  bool Failed() const { return failed_; }
  // Percent of the input consumed, when the size is known.
  std::function<void(int percent)> onProgress;

 protected:
  // The format's own loop; called by Read with the input set up.
  virtual void ReadBody();
  // Called after the body, also after a failure.
  virtual void PostProcess();

  // Next input byte, or -1 at the end.
  int NextByte() {
    if (cur_ == end_ && !Refill()) return -1;
    return *cur_++;
  }
  // Gives back the byte just taken by NextByte.
  void Unget() { --cur_; }
  // Appends a byte to the current line with the current attribute.
  void AppendToLine(uint8_t ch) {
    TLine* l = curLine_;
    if (l->capacity - l->length < 4) {
      l = curLine_ = doc_->NewLine(l, 60);
    }
    l->text[l->length] = ch;
    if (l->attribs) l->attribs[l->length] = attr_;
    ++l->length;
    l->text[l->length] = 0;
    lastLine_ = l;
    lastIndex_ = l->length - 1;
  }
  // Appends n bytes as AppendToLine would, one line chunk at a time.
  void AppendRun(const uint8_t* bytes, int n);
  // Shrinks the current paragraph's lines and starts the next one.
  TParagraph* EndParagraph();
  static void ShrinkLines(TRTFText* doc, TParagraph* p);

  TTextHeader* header_;
  TRTFText* doc_;
  TParagraph* startParagraph_ = nullptr;
  TParagraph* firstPar_ = nullptr;  // first paragraph filled
  TParagraph* curPar_ = nullptr;
  TLine* curLine_ = nullptr;
  TLine* lastLine_ = nullptr;  // line and index of the last character appended
  int lastIndex_ = -1;
  TCharAttr attr_;
  bool failed_ = false;
  // Unread bytes of the current buffer; loops may scan them directly.
  const uint8_t* cur_ = nullptr;
  const uint8_t* end_ = nullptr;

 private:
  bool Refill();
  TTextInput* input_ = nullptr;
  bool contiguous_ = false;
  int64_t total_ = -1;
  int64_t consumed_ = 0;
  int lastPercent_ = -1;
  uint8_t buffer_[1024];
};

// Writes the document's characters as they are, carriage return and line feed
// between paragraphs. Returns 0, or 7 when the stream fails.
int WritePlainText(const TRTFText& doc, std::ostream& out);
// The same into a string.
std::string PlainTextOf(const TRTFText& doc);

}  // namespace quill
