#pragma once
// Building one document out of others, as the merged print of many days
// does: taking over another document's page set-up and tables, appending a
// paragraph of given text and format, and appending the whole content of
// another document.
//
// Appended text keeps its own look: its fonts, colours and tab stops are
// looked up or added in this document's tables (fonts by name, colours by
// value, tab stops by position and kind), and its footnotes and objects are
// copied with ids (and, where they would clash, keys) of this document.

#include <cstdint>
#include <string_view>

#include "richtext/model/char_attr.h"
#include "richtext/model/rtf_text.h"

namespace quill {

inline constexpr const char* kErrFastAppendSelf = "Cannot perform FastAppendText(self)";

// The paragraph properties AppendParagraph gives its paragraph; all defaults
// unless the caller sets them.
struct TParagraphFormat {
  int32_t firstIndent = 0;
  int32_t leftIndent = 0;
  int32_t rightIndent = 0;
  int32_t spaceBefore = 0;
  int32_t spaceAfter = 0;
  int32_t lineSpacing = 0;
  uint8_t alignment = 0;  // al*
  bool pageBreakBefore = false;
};

// Takes over SOURCE's header: page size and margins, the colour, font and
// tab tables and the information texts. The document's own resolution,
// wrap width and memory format stay (they belong to its layout and lines),
// and so does its owner callback. Text already in the document is mapped
// onto the new tables so that it keeps its fonts, colours and tab stops.
void CopyHeaderFrom(TRTFText& doc, const TRTFText& source);

// Appends to one document and remembers where it ends, so that merging
// many documents into one does not walk the growing document for each.
class TDocumentAppender {
 public:
  explicit TDocumentAppender(TRTFText& doc);
  // As the functions of the same names below.
  TParagraph* AppendParagraph(std::string_view text, const TCharAttr& attr, const TParagraphFormat& format = {});
  void FastAppendText(const TRTFText& source);

 private:
  TParagraph* Last();
  // Links CHAIN (unlinked, complete) after the last paragraph; an empty
  // document gives up its one empty paragraph for it.
  void LinkAtEnd(TParagraph* chain);

  TRTFText& doc_;
  TParagraph* last_ = nullptr;
  uint64_t generation_ = 0;
};

// Appends one paragraph holding TEXT, every character with ATTR (whose font
// and colour indexes refer to DOC's own tables, e.g. from InternFont). Bytes
// that never occur in a line (0, 3 and paragraph breaks) are dropped; a text
// longer than a line holds is spread over several lines. When DOC is empty
// the paragraph takes the place of its one empty paragraph. Returns it.
TParagraph* AppendParagraph(TRTFText& doc, std::string_view text, const TCharAttr& attr,
                            const TParagraphFormat& format = {});

// Appends copies of all paragraphs of SOURCE at the end of DOC (an empty
// SOURCE appends nothing; an empty DOC is replaced). SOURCE is not changed.
// Raises kErrFastAppendSelf when SOURCE is DOC. On an allocation failure DOC
// keeps its paragraphs, footnotes and objects as they were.
void FastAppendText(TRTFText& doc, const TRTFText& source);

}  // namespace quill
