#pragma once
// The in-memory rich text document: a chain of paragraphs, each a chain of
// lines, with one header of document-wide tables, footnotes and objects.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "richtext/model/char_attr.h"
#include "richtext/model/id_pool.h"
#include "richtext/model/model_types.h"
#include "richtext/model/paragraph.h"
#include "richtext/model/text_header.h"
#include "richtext/model/text_object.h"
#include "richtext/model/text_position.h"

namespace quill {

class TRTFText {
 public:
  TRTFText();
  ~TRTFText();
  TRTFText(const TRTFText&) = delete;
  TRTFText& operator=(const TRTFText&) = delete;

  TParagraph* firstParagraph = nullptr;  // never empty after construction
  TTextHeader header;
  TTextObject* firstObject = nullptr;
  TFootnote* firstFootnote = nullptr;
  TCharAttr defaultAttr;  // font 0, size 10
  std::array<int16_t, 256> widthTable{};  // pixels, all 16 at start
  int16_t defaultCharHeight = 16;
  int16_t defaultLineHeight = 16;
  int16_t defaultAscent = 14;
  bool busy = false;       // clear and format switches do nothing while set
  bool plainMode = false;  // no attribute records (fmPlainText)
  std::function<void()> onChange;
  std::function<void(uint16_t key)> onObjectRequest;
  // A paragraph chain being built outside the document (an insertion read);
  // its tab stops count as used while tab entries are reclaimed.
  TParagraph* pendingChain = nullptr;

  TMemoryFormat MemoryFormat() const { return plainMode ? fmPlainText : fmRichText; }
  // One paragraph, one line, no characters.
  bool IsEmpty() const;
  void Changed() {
    if (onChange) onChange();
  }
  // Changes whenever a paragraph is freed (clearing, reloading, joining,
  // deleting). Whoever keeps a paragraph pointer between calls (finder,
  // input) compares it before using the pointer again.
  uint64_t Generation() const { return generation_; }

  // Inserts a paragraph after `after` (or, with none, as the first paragraph
  // of an empty document or as the head of a new unlinked chain), inheriting
  // its properties, with a first line of lineCapacity slots.
  TParagraph* NewParagraph(TParagraph* after, int lineCapacity);
  // A new line of at least 8 slots linked after `after` (unlinked with none).
  TLine* NewLine(TLine* after, int capacity);
  // Re-allocates a line to newCapacity slots (rounded up to even).
  void ResizeLine(TLine* line, int newCapacity);
  void DeleteLine(TParagraph* paragraph, TLine* line);
  void DisposeParagraph(TParagraph* paragraph);
  // Frees a whole unlinked chain starting at first.
  void DisposeChain(TParagraph* first);
  TLine* Get_LastLine(TParagraph* paragraph) const;
  TParagraph* LastParagraph() const;
  static TCharAttr* AttribPtr(TCharAttr* attribs, int index);

  void SetMemoryFormat(TMemoryFormat format);
  void ClearDocument();

  // Replaces removeCount characters at position of line by text (len bytes)
  // stamped with attr (the default attribute when null); returns the change
  // in length.
  int ReplaceInLine(TParagraph* paragraph, TLine* line, const TCharAttr* attr,
                    const uint8_t* text, int len, int removeCount, int position);
  // Appends one character (and, in fmRichText, its attribute) to a line,
  // growing it by chunks of growBy slots.
  void AppendChar(TLine* line, uint8_t ch, const TCharAttr& attr, int growBy = 60) {
    if (line->length >= line->capacity) ResizeLine(line, line->capacity + growBy);
    line->text[line->length] = ch;
    if (line->attribs) line->attribs[line->length] = attr;
    ++line->length;
    line->text[line->length] = 0;
  }

  // Appends a footnote with the next free id; none when all 65535 ids are
  // in use.
  TFootnote* AddFootnote(uint8_t mark, int32_t number, std::string text);
  TFootnote* FindFootnote(uint16_t id) const;
  // Appends an object; key -1 assigns a new one. The object owns picture.
  // None when all 65535 ids are in use.
  TTextObject* AddObject(std::unique_ptr<TPicture> picture, int key);
  TTextObject* FindObject(int key, int id) const;
  // Unlink and free one footnote or object of the document's chain.
  void DeleteFootnote(TFootnote* footnote);
  void DeleteObject(TTextObject* object);
  TTextObject* FindObjectByFileName(std::string_view name) const;

  int InternFont(std::string_view name) { return header.InternFont(name); }
  uint32_t FindOrAddTab(int32_t position, uint8_t kind) { return header.FindOrAddTab(position, kind); }
  // Clears tab entries that no paragraph's mask refers to.
  void CollectTabGarbage();

  // ---- Edit primitives: the only way the finder, the load layer and the
  // input layer change text. Each marks the paragraphs it changes for layout.

  // The line and index holding a paragraph offset (clamped to the
  // paragraph). An offset where one line ends and the next begins is put at
  // the start of the next line, or with preferLineEnd at the end of the
  // earlier one.
  TDocPos PositionAt(TParagraph* paragraph, int offset, bool preferLineEnd = false) const;
  // The paragraph offset of a line position.
  static int OffsetOf(const TDocPos& pos);
  // True when a lies before b in the document.
  bool Precedes(const TTextPos& a, const TTextPos& b) const;
  // Splits the paragraph at offset; the text from there on goes to a new
  // paragraph after it, which inherits the properties as NewParagraph gives
  // them but never a page break. Returns the new paragraph.
  TParagraph* SplitParagraph(TParagraph* paragraph, int offset);
  // Joins the next paragraph's text to this one (the forward deletion at a
  // paragraph's end); this paragraph keeps its properties.
  void JoinWithNext(TParagraph* paragraph);
  // Deletes the characters between two places, in either order, across
  // paragraphs; the first paragraph keeps its properties and takes the rest
  // of the last one. Returns the place where the range began.
  TTextPos DeleteRange(TTextPos from, TTextPos to);
  // Inserts text (no paragraph breaks: bytes 13 are dropped, as are 0 and 3,
  // which never occur in a line) with attr (the default attribute when
  // null). A line that would pass its slot limit is spread over new lines.
  // Returns the place after the text.
  TTextPos InsertText(TTextPos at, std::string_view text, const TCharAttr* attr);
  // Calls change for the attribute record of every character in the range
  // (nothing in fmPlainText).
  void ChangeAttributes(TTextPos from, TTextPos to, const std::function<void(TCharAttr&)>& change);
  // Puts a separate paragraph chain (from a reader) in at a place: the
  // chain's first paragraph joins the place's paragraph, the text after the
  // place joins the chain's last paragraph. The document takes the chain.
  // Returns the place after the inserted text.
  TTextPos InsertChain(TTextPos at, TParagraph* chain);

 private:
  void FreeObjects();
  void FreeFootnotes();
  void FreeParagraph(TParagraph* p);
  // Unlinks a paragraph that is not the document's only one and frees it.
  void UnlinkParagraph(TParagraph* p);
  // Deletes [from, to) within one paragraph, dropping lines it empties but
  // keeping one line.
  void DeleteInParagraph(TParagraph* p, int from, int to);
  // Moves the characters from index on into a new line linked after line.
  TLine* SplitLine(TLine* line, int index);

  uint64_t generation_ = 0;
  // The chain's last record, after taking in records appended elsewhere.
  TFootnote* LastFootnote();
  TTextObject* LastObject();

  // Ends of the footnote and object chains and the numbers handed out, so
  // that adding a record takes constant time, not a walk of the chain.
  // Single records leave the chains through DeleteFootnote and DeleteObject,
  // which keep these right; a chain emptied anywhere starts afresh.
  TFootnote* lastFootnote_ = nullptr;
  TTextObject* lastObject_ = nullptr;
  TIdPool footnoteIds_{1};
  TIdPool objectIds_{1};
  TIdPool objectKeys_{2000};
};

}  // namespace quill
