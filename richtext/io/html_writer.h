#pragma once
// A simple HTML form of a document, for saves to a file named *.htm*: one
// <p> per paragraph, bold, italic, underline and strike-out as elements, the
// Windows-1252 bytes declared as such.

#include "richtext/io/text_writer.h"

namespace quill {

class THTMLWriter : public TTextWriter {
 public:
  using TTextWriter::TTextWriter;

 protected:
  int Header() override;
  int ParagraphStart(const TParagraph& p) override;
  int RunHeader(const TCharAttr& a) override;
  int RunText(const uint8_t* text, int len, const TCharAttr* attr) override;
  int ParagraphEnd(const TParagraph& p, bool anotherFollows) override;
  int Trailer() override;

 private:
  int CloseRun();
  uint8_t openStyle_ = 0;
  bool inParagraph_ = false;
};

}  // namespace quill
