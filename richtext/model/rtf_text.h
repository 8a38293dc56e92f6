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

 private:
  void FreeObjects();
  void FreeFootnotes();
  static void FreeParagraph(TParagraph* p);
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
