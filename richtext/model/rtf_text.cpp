#include "richtext/model/rtf_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace quill {

TLine::~TLine() {
  if (!packed) std::free(text);
  std::free(attribs);
}

namespace {

// One block for the attribute records and the text behind them, so that a
// rich line costs one allocation.
bool AllocPacked(TLine* line, int capacity) {
  void* block = std::malloc(size_t(capacity) * sizeof(TCharAttr) + size_t(capacity) + 1);
  if (!block) return false;
  line->attribs = static_cast<TCharAttr*>(block);
  line->text = reinterpret_cast<uint8_t*>(line->attribs + capacity);
  line->packed = true;
  return true;
}

}  // namespace

TRTFText::TRTFText() {
  header.rulerInch = true;
  header.richMode = true;
  header.freeUnusedTabs = [this] { CollectTabGarbage(); };
  defaultAttr.size = 10;
  widthTable.fill(16);
  defaultLineHeight = 16;
  defaultAscent = 14;
  plainMode = false;
  firstParagraph = NewParagraph(nullptr, 40);
}

TRTFText::~TRTFText() {
  DisposeChain(pendingChain);
  pendingChain = nullptr;
  DisposeChain(firstParagraph);
  firstParagraph = nullptr;
  FreeObjects();
  FreeFootnotes();
}

bool TRTFText::IsEmpty() const {
  const TParagraph* p = firstParagraph;
  return p && !p->next && p->firstLine && !p->firstLine->next && p->firstLine->length == 0;
}

TLine* TRTFText::NewLine(TLine* after, int capacity) {
  capacity = std::max(capacity, 8);
  if (capacity > kMaxLineCapacity) throw TRichTextError(kErrLineTooLong);
  capacity += capacity & 1;
  auto line = std::make_unique<TLine>();
  if (plainMode) {
    line->text = static_cast<uint8_t*>(std::malloc(size_t(capacity) + 1));
    if (!line->text) throw std::bad_alloc();
  } else {
    if (!AllocPacked(line.get(), capacity)) throw std::bad_alloc();
    line->attribs[0] = defaultAttr;
  }
  line->text[0] = 0;
  line->capacity = uint16_t(capacity);
  line->height = uint16_t(defaultCharHeight);
  line->ascent = uint16_t(plainMode ? defaultAscent : (defaultAttr.ascent > 0 ? defaultAttr.ascent : defaultAscent));
  TLine* l = line.release();
  if (after) {
    l->next = after->next;
    l->prev = after;
    if (after->next) after->next->prev = l;
    after->next = l;
  }
  return l;
}

TParagraph* TRTFText::NewParagraph(TParagraph* after, int lineCapacity) {
  TParagraph* p = nullptr;
  try {
    p = new TParagraph();
    p->firstLine = NewLine(nullptr, lineCapacity);
  } catch (const TRichTextError&) {
    delete p;
    throw;
  } catch (const std::bad_alloc&) {
    delete p;
    throw TRichTextError(kErrNewParagraph);
  }
  if (after) {
    p->firstIndent = after->firstIndent;
    p->leftIndent = after->leftIndent;
    p->rightIndent = after->rightIndent;
    p->spaceBefore = after->spaceBefore;
    p->spaceAfter = after->spaceAfter;
    p->lineSpacing = after->lineSpacing;
    p->alignment = after->alignment;
    p->flags = after->flags;
    p->reserved[0] = after->reserved[0];
    p->reserved[1] = after->reserved[1];
    if (!after->IsTableCell()) p->tabMask = after->tabMask;
    if (!(after->borderFlags & bfEnds)) {
      p->borderFlags = after->borderFlags;
      p->borderStyle = after->borderStyle;
      p->borderWidth = after->borderWidth;
      p->borderSpacingColor = after->borderSpacingColor;
    }
    p->next = after->next;
    p->prev = after;
    if (after->next) after->next->prev = p;
    after->next = p;
  } else if (!firstParagraph) {
    firstParagraph = p;
  }
  p->MarkForLayout();
  return p;
}

void TRTFText::ResizeLine(TLine* line, int newCapacity) {
  if (!line) return;
  if (newCapacity > kMaxLineCapacity) throw TRichTextError(kErrLineTooLong);
  newCapacity = std::max(newCapacity, 2);
  newCapacity += newCapacity & 1;
  // Rounding to even often gives the capacity the line has: nothing to do.
  if (newCapacity == line->capacity && line->length < newCapacity) return;
  if (line->packed) {
    TLine fresh;
    if (!AllocPacked(&fresh, newCapacity)) throw std::bad_alloc();
    const int keep = line->length > newCapacity ? newCapacity - 1 : line->length;
    // The first record also carries the format of an empty line.
    const int records = std::min(std::max(keep, 1), int(line->capacity));
    std::memcpy(static_cast<void*>(fresh.attribs), line->attribs, size_t(records) * sizeof(TCharAttr));
    std::memcpy(fresh.text, line->text, size_t(keep));
    std::free(line->attribs);
    line->attribs = fresh.attribs;
    line->text = fresh.text;
    fresh.attribs = nullptr;
    fresh.text = nullptr;
    line->capacity = uint16_t(newCapacity);
    line->length = uint16_t(keep);
    line->text[keep] = 0;
    return;
  }
  auto* t = static_cast<uint8_t*>(std::realloc(line->text, size_t(newCapacity) + 1));
  if (!t) throw std::bad_alloc();
  line->text = t;
  if (line->attribs) {
    auto* a = static_cast<TCharAttr*>(std::realloc(line->attribs, size_t(newCapacity) * sizeof(TCharAttr)));
    if (!a) throw std::bad_alloc();
    line->attribs = a;
    if (newCapacity > line->capacity)
      std::memset(static_cast<void*>(a + line->capacity), 0,
                  size_t(newCapacity - line->capacity) * sizeof(TCharAttr));
  }
  line->capacity = uint16_t(newCapacity);
  if (line->length > line->capacity) line->length = uint16_t(line->capacity - 1);
  line->text[line->length] = 0;
}

void TRTFText::FreeParagraph(TParagraph* p) {
  ++generation_;
  delete p;
}

void TRTFText::DisposeParagraph(TParagraph* p) {
  if (!p) return;
  if (p == firstParagraph && !p->next) {
    // The document keeps one paragraph with one line.
    TLine* l = p->firstLine->next;
    while (l) {
      TLine* n = l->next;
      delete l;
      l = n;
    }
    p->firstLine->next = nullptr;
    p->firstLine->length = 0;
    p->firstLine->text[0] = 0;
    p->MarkForLayout();
    return;
  }
  if (p->prev) p->prev->next = p->next;
  if (p->next) p->next->prev = p->prev;
  if (p == firstParagraph) firstParagraph = p->next;
  if (p == pendingChain) pendingChain = p->next;
  FreeParagraph(p);
}

void TRTFText::DisposeChain(TParagraph* first) {
  while (first) {
    TParagraph* n = first->next;
    FreeParagraph(first);
    first = n;
  }
}

void TRTFText::DeleteLine(TParagraph* par, TLine* line) {
  if (!par || !line) return;
  if (par->firstLine == line && !line->next) {
    if (par == firstParagraph && !par->next) {
      line->length = 0;
      line->text[0] = 0;
      par->MarkForLayout();
      return;
    }
    DisposeParagraph(par);
    return;
  }
  if (par->firstLine == line && par->prev) {
    // The remaining lines join the paragraph before.
    TLine* rest = line->next;
    rest->prev = nullptr;
    delete line;
    par->firstLine = nullptr;
    TLine* last = Get_LastLine(par->prev);
    last->next = rest;
    rest->prev = last;
    par->prev->MarkForLayout();
    par->prev->next = par->next;
    if (par->next) par->next->prev = par->prev;
    FreeParagraph(par);
    return;
  }
  if (line->prev) line->prev->next = line->next;
  if (line->next) line->next->prev = line->prev;
  if (par->firstLine == line) par->firstLine = line->next;
  delete line;
  par->MarkForLayout();
}

TLine* TRTFText::Get_LastLine(TParagraph* p) const {
  if (!p || !p->firstLine) throw TRichTextError(kErrLastLine);
  TLine* l = p->firstLine;
  while (l->next) l = l->next;
  return l;
}

TParagraph* TRTFText::LastParagraph() const {
  TParagraph* p = firstParagraph;
  while (p && p->next) p = p->next;
  return p;
}

TCharAttr* TRTFText::AttribPtr(TCharAttr* attribs, int index) {
  if (!attribs) throw TRichTextError(kErrAttribPtr);
  return attribs + index;
}

void TRTFText::SetMemoryFormat(TMemoryFormat format) {
  if (format == fmRichText) {
    if (!plainMode || !firstParagraph) {
      header.richMode = true;
      plainMode = false;
      return;
    }
    if (busy) {
      header.richMode = true;
      return;
    }
    const int16_t h = defaultAttr.height > 0 ? defaultAttr.height : defaultCharHeight;
    const int16_t a = defaultAttr.ascent > 0 ? defaultAttr.ascent : defaultAscent;
    bool failed = false;
    for (TParagraph* p = firstParagraph; p && !failed; p = p->next)
      for (TLine* l = p->firstLine; l; l = l->next) {
        auto* arr = static_cast<TCharAttr*>(std::calloc(l->capacity ? l->capacity : 1, sizeof(TCharAttr)));
        if (!arr) {
          failed = true;
          break;
        }
        for (int i = 0; i < l->length; ++i) {
          arr[i] = defaultAttr;
          arr[i].width = widthTable[l->text[i]];
        }
        l->attribs = arr;
      }
    if (failed) {
      for (TParagraph* p = firstParagraph; p; p = p->next)
        for (TLine* l = p->firstLine; l; l = l->next) {
          std::free(l->attribs);
          l->attribs = nullptr;
        }
      header.richMode = false;
      return;
    }
    for (TParagraph* p = firstParagraph; p; p = p->next) {
      for (TLine* l = p->firstLine; l; l = l->next) {
        l->height = uint16_t(h);
        l->ascent = uint16_t(a);
      }
      p->MarkForLayout();
    }
    plainMode = false;
    header.richMode = true;
    Changed();
    return;
  }
  if (busy) return;
  // Lines whose text shares the attribute block get a text array of their
  // own first; a failed allocation leaves every line valid and rich.
  for (TParagraph* p = firstParagraph; p; p = p->next)
    for (TLine* l = p->firstLine; l; l = l->next) {
      if (!l->packed) continue;
      auto* t = static_cast<uint8_t*>(std::malloc(size_t(l->capacity) + 1));
      if (!t) throw std::bad_alloc();
      std::memcpy(t, l->text, size_t(l->length) + 1);
      std::free(l->attribs);
      l->attribs = nullptr;
      l->text = t;
      l->packed = false;
    }
  for (TParagraph* p = firstParagraph; p; p = p->next) {
    for (TLine* l = p->firstLine; l; l = l->next) {
      std::free(l->attribs);
      l->attribs = nullptr;
      l->height = uint16_t(defaultLineHeight);
      l->ascent = uint16_t(defaultAscent);
    }
    p->MarkForLayout();
  }
  plainMode = true;
  header.richMode = false;
  Changed();
}

void TRTFText::FreeObjects() {
  TTextObject* o = firstObject;
  while (o) {
    TTextObject* n = o->next;
    delete o;
    o = n;
  }
  firstObject = nullptr;
  lastObject_ = nullptr;
  objectIds_.Reset();
  objectKeys_.Reset();
}

void TRTFText::FreeFootnotes() {
  TFootnote* f = firstFootnote;
  while (f) {
    TFootnote* n = f->next;
    delete f;
    f = n;
  }
  firstFootnote = nullptr;
  lastFootnote_ = nullptr;
  footnoteIds_.Reset();
}

void TRTFText::ClearDocument() {
  if (busy) return;
  // Build the replacement first so that a failed allocation leaves the
  // document as it was.
  TParagraph* fresh = nullptr;
  {
    TParagraph* saved = firstParagraph;
    firstParagraph = nullptr;
    try {
      fresh = NewParagraph(nullptr, 100);
    } catch (...) {
      firstParagraph = saved;
      throw;
    }
    firstParagraph = saved;
  }
  DisposeChain(firstParagraph);
  firstParagraph = fresh;

  const int oldFont = defaultAttr.font;
  TFontName name;
  int32_t family = 0, charset = 0;
  if (oldFont < kFontCount) {
    name = header.fontTable[size_t(oldFont)];
    family = header.fontFamily[size_t(oldFont)];
    charset = header.fontCharset[size_t(oldFont)];
  }
  header.ResetForClear();
  header.fontTable[0] = name;
  header.fontFamily[0] = family;
  header.fontCharset[0] = charset;
  defaultAttr.font = 0;
  if (header.fontTable[0].Empty()) {
    header.fontTable[0].Assign("Arial");
    header.fontFamily[0] = 0;
    header.fontCharset[0] = 0;
  }
  if (defaultAttr.size == 0) defaultAttr.size = 10;
  if (firstParagraph->firstLine->attribs) firstParagraph->firstLine->attribs[0] = defaultAttr;

  for (TTextObject* o = firstObject; o; o = o->next) o->inUse = false;
  FreeObjects();
  FreeFootnotes();
  // No paragraph refers to any tab stop now.
  CollectTabGarbage();
  firstParagraph->MarkForLayout();
  Changed();
}

int TRTFText::ReplaceInLine(TParagraph* par, TLine* line, const TCharAttr* attr, const uint8_t* text,
                            int len, int removeCount, int position) {
  if (!line) return 0;
  if (len < 0 || !text) len = 0;
  position = std::clamp(position, 0, int(line->length));
  removeCount = std::clamp(removeCount, 0, int(line->length) - position);
  if (len == 0 && position + removeCount == line->length) {
    line->length = uint16_t(position);
    line->text[position] = 0;
    if (par) par->MarkForLayout();
    return -removeCount;
  }
  const int growth = len - removeCount;
  const int newLength = line->length + growth;
  if (newLength > line->capacity) ResizeLine(line, newLength + 6);
  const int tail = line->length - position - removeCount;
  std::memmove(line->text + position + len, line->text + position + removeCount, size_t(tail));
  std::memcpy(line->text + position, text, size_t(len));
  if (line->attribs) {
    std::memmove(static_cast<void*>(line->attribs + position + len),
                 line->attribs + position + removeCount, size_t(tail) * sizeof(TCharAttr));
    const TCharAttr& a = attr ? *attr : defaultAttr;
    for (int i = 0; i < len; ++i) line->attribs[position + i] = a;
  }
  line->length = uint16_t(newLength);
  line->text[newLength] = 0;
  if (par) par->MarkForLayout();
  return growth;
}

TFootnote* TRTFText::LastFootnote() {
  if (!firstFootnote) {
    lastFootnote_ = nullptr;
    footnoteIds_.Reset();
    return nullptr;
  }
  if (!lastFootnote_) {
    lastFootnote_ = firstFootnote;
    footnoteIds_.Take(lastFootnote_->id);
  }
  while (lastFootnote_->next) {
    lastFootnote_ = lastFootnote_->next;
    footnoteIds_.Take(lastFootnote_->id);
  }
  return lastFootnote_;
}

TFootnote* TRTFText::AddFootnote(uint8_t mark, int32_t number, std::string text) {
  TFootnote* last = LastFootnote();
  // One more than the highest id; past 65535 the lowest free one.
  const uint16_t id = footnoteIds_.Next([this](auto take) {
    for (const TFootnote* f = firstFootnote; f; f = f->next) take(f->id);
  });
  if (id == 0) return nullptr;
  auto* f = new TFootnote();
  f->mark = mark;
  f->number = number;
  f->id = id;
  f->text = std::move(text);
  f->prev = last;
  if (last)
    last->next = f;
  else
    firstFootnote = f;
  lastFootnote_ = f;
  return f;
}

namespace {

// Unlinks one record of a footnote or object chain, keeping the chain's
// head and remembered end right, and frees it.
template <class T>
void DeleteRecord(T*& first, T*& last, T* r) {
  if (!r) return;
  if (r == last) last = r->prev;
  if (r->prev)
    r->prev->next = r->next;
  else if (first == r)
    first = r->next;
  if (r->next) r->next->prev = r->prev;
  delete r;
}

}  // namespace

void TRTFText::DeleteFootnote(TFootnote* f) { DeleteRecord(firstFootnote, lastFootnote_, f); }

void TRTFText::DeleteObject(TTextObject* o) { DeleteRecord(firstObject, lastObject_, o); }

TFootnote* TRTFText::FindFootnote(uint16_t id) const {
  if (id == 0) return nullptr;
  for (TFootnote* f = firstFootnote; f; f = f->next)
    if (f->id == id) return f;
  return nullptr;
}

TTextObject* TRTFText::LastObject() {
  if (!firstObject) {
    lastObject_ = nullptr;
    objectIds_.Reset();
    objectKeys_.Reset();
    return nullptr;
  }
  if (!lastObject_) {
    lastObject_ = firstObject;
    objectIds_.Take(lastObject_->id);
    objectKeys_.Take(lastObject_->key);
  }
  while (lastObject_->next) {
    lastObject_ = lastObject_->next;
    objectIds_.Take(lastObject_->id);
    objectKeys_.Take(lastObject_->key);
  }
  return lastObject_;
}

TTextObject* TRTFText::AddObject(std::unique_ptr<TPicture> picture, int key) {
  TTextObject* last = LastObject();
  const uint16_t id = objectIds_.Next([this](auto take) {
    for (const TTextObject* x = firstObject; x; x = x->next) take(x->id);
  });
  if (id == 0) return nullptr;
  auto* o = new TTextObject();
  o->id = id;
  if (key < 0) {
    o->key = objectKeys_.Next([this](auto take) {
      for (const TTextObject* x = firstObject; x; x = x->next) take(x->key);
    });
  } else {
    o->key = uint16_t(key);
    objectKeys_.Take(o->key);
  }
  o->ownsPicture = picture != nullptr;
  o->picture = picture.release();
  o->prev = last;
  if (last)
    last->next = o;
  else
    firstObject = o;
  lastObject_ = o;
  if (!o->picture && onObjectRequest) onObjectRequest(o->key);
  return o;
}

TTextObject* TRTFText::FindObject(int key, int id) const {
  for (TTextObject* o = firstObject; o; o = o->next)
    if ((key != 0 && o->key == key) || (id != 0 && o->id == id)) return o;
  return nullptr;
}

TTextObject* TRTFText::FindObjectByFileName(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TTextObject* o = firstObject; o; o = o->next) {
    if (o->fileName.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      unsigned char a = static_cast<unsigned char>(o->fileName[i]), b = static_cast<unsigned char>(name[i]);
      if (a >= 'A' && a <= 'Z') a += 32;
      if (b >= 'A' && b <= 'Z') b += 32;
      same = a == b;
    }
    if (same) return o;
  }
  return nullptr;
}

void TRTFText::CollectTabGarbage() {
  uint32_t used = 0;
  auto collect = [&used](const TParagraph* p) {
    for (; p; p = p->next) {
      if (p->IsTableCell()) {
        // A cell's mask holds shares; only its decimal stop names an entry.
        int dec = p->CellDecimalTab();
        if (dec >= 0 && dec < kTabCount) used |= 1u << dec;
      } else {
        used |= p->tabMask;
      }
    }
  };
  collect(firstParagraph);
  collect(pendingChain);
  for (int i = 0; i < kTabCount; ++i)
    if (!(used & (1u << i))) {
      header.tabPositions[size_t(i)] = 0;
      header.tabPixels[size_t(i)] = 0;
      header.tabKinds[size_t(i)] = 0;
    }
}

}  // namespace quill
