#include "richtext/model/document_append.h"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quill {

namespace {

// Colour entries that text, borders or the default attribute of the
// document's paragraphs refer to. Entry 0 always counts: it is the text
// colour of everything that never chose one.
uint16_t UsedColors(const TRTFText& doc) {
  uint16_t used = 1;
  auto note = [&used](const TCharAttr& a) {
    used |= uint16_t(1u << a.TextColor());
    if (a.BackColor() != 0) used |= uint16_t(1u << a.BackColor());
  };
  note(doc.defaultAttr);
  for (const TParagraph* p = doc.firstParagraph; p && used != 0xFFFF; p = p->next) {
    if (p->borderFlags != 0) used |= uint16_t(1u << p->BorderColor());
    for (const TLine* l = p->firstLine; l; l = l->next)
      if (l->attribs)
        for (int i = 0; i < l->length; ++i) note(l->attribs[i]);
  }
  return used;
}

int ColorDistance(uint32_t a, uint32_t b) {
  const int r = int(RedOf(a)) - int(RedOf(b));
  const int g = int(GreenOf(a)) - int(GreenOf(b));
  const int bl = int(BlueOf(a)) - int(BlueOf(b));
  return r * r + g * g + bl * bl;
}

// Maps font, colour and tab indexes of text written against the tables FROM
// onto the document's own tables, adding entries where needed. Each index is
// looked up once.
class TTableMapper {
 public:
  // USEDCOLORS: the entries the document's text uses, found only when a
  // colour has no equal entry (a merge of many days mostly finds equals and
  // never walks the growing document); none: walk the document then.
  TTableMapper(TRTFText& doc, const TTextHeader& from, std::optional<uint16_t> usedColors = std::nullopt)
      : doc_(doc), from_(from), usedColors_(usedColors) {
    fontCache_.fill(-1);
    textColorCache_.fill(-1);
    backColorCache_.fill(-1);
    tabKnown_.fill(false);
  }

  uint8_t Font(uint8_t index) {
    // An overflowing or free entry draws in the default font; it stays one.
    if (index >= kFontCount || from_.fontTable[index].Empty()) return uint8_t(kFontCount);
    int& slot = fontCache_[index];
    if (slot >= 0) return uint8_t(slot);
    TTextHeader& h = doc_.header;
    const int before = h.FontCount();
    slot = h.InternFont(from_.fontTable[index].View());
    if (slot == before && slot < kFontCount) {
      h.fontFamily[size_t(slot)] = from_.fontFamily[index];
      h.fontCharset[size_t(slot)] = from_.fontCharset[index];
    }
    return uint8_t(slot);
  }

  // BACKGROUND: index 0 means no background and stays so; a background
  // never lands on entry 0.
  uint8_t Color(uint8_t index, bool background) {
    index &= 0x0F;
    if (background && index == 0) return 0;
    int& slot = (background ? backColorCache_ : textColorCache_)[index];
    if (slot >= 0) return uint8_t(slot);
    auto& table = doc_.header.colorTable;
    const uint32_t value = from_.colorTable[index];
    const int first = background ? 1 : 0;
    int found = -1;
    // The same entry when it holds the same colour keeps documents that
    // share a table as they are.
    if (index >= first && table[index] == value) found = index;
    for (int i = first; i < kColorCount && found < 0; ++i)
      if (table[size_t(i)] == value) found = i;
    if (found < 0 && !usedColors_) usedColors_ = uint16_t(UsedColors(doc_) | equalOrTaken_);
    for (int i = 1; i < kColorCount && found < 0; ++i)
      if (!(*usedColors_ & (1u << i))) {
        table[size_t(i)] = value;
        found = i;
      }
    if (found < 0) {
      int best = first;
      for (int i = first + 1; i < kColorCount; ++i)
        if (ColorDistance(table[size_t(i)], value) < ColorDistance(table[size_t(best)], value)) best = i;
      found = best;
    }
    if (usedColors_) *usedColors_ |= uint16_t(1u << found);
    equalOrTaken_ |= uint16_t(1u << found);
    slot = found;
    return uint8_t(found);
  }

  void Attr(TCharAttr& a) {
    a.font = Font(a.font);
    const uint8_t back = Color(a.BackColor(), true);
    a.colors = uint8_t((back << 4) | Color(a.TextColor(), false));
  }

  // The document's mask bit of tab stop INDEX of FROM; 0 when it has no
  // stop there or the document's table is full.
  uint32_t Tab(int index) {
    if (index < 0 || index >= kTabCount) return 0;
    if (tabKnown_[size_t(index)]) return tabBit_[size_t(index)];
    const int32_t pos = from_.tabPositions[size_t(index)];
    const uint32_t bit = pos > 0 ? doc_.FindOrAddTab(pos, from_.tabKinds[size_t(index)]) : 0;
    tabKnown_[size_t(index)] = true;
    tabBit_[size_t(index)] = bit;
    return bit;
  }

  // Rewrites P's tab mask, which refers to FROM's tab table. P must be
  // where reclaiming unused tab entries sees it (in the document or its
  // pending chain): the bits are set one by one so that an entry taken for
  // P is never reclaimed while the rest are looked up.
  void TabMask(TParagraph* p, uint32_t mask) {
    if (p->IsTableCell()) {
      const int dec = int((mask >> 24) & 0x0F) - 1;
      p->tabMask = mask & ~0x0F000000u;
      const uint32_t bit = dec >= 0 ? Tab(dec) : 0;
      if (bit) p->tabMask |= uint32_t(std::countr_zero(bit) + 1) << 24;
      return;
    }
    p->tabMask = 0;
    for (int i = 0; i < kTabCount; ++i)
      if (mask & (1u << i)) p->tabMask |= Tab(i);
  }

  uint8_t BorderSpacingColor(uint8_t value) {
    return uint8_t((value & 0xF0) | Color(value & 0x0F, false));
  }

 private:
  TRTFText& doc_;
  const TTextHeader& from_;
  std::optional<uint16_t> usedColors_;
  // Entries this mapping chose: taken even before the document is walked.
  uint16_t equalOrTaken_ = 0;
  std::array<int, kFontCount> fontCache_{};
  std::array<int, kColorCount> textColorCache_{};
  std::array<int, kColorCount> backColorCache_{};
  std::array<bool, kTabCount> tabKnown_{};
  std::array<uint32_t, kTabCount> tabBit_{};
};

int LineCapacity(const TLine* line) { return std::min(line->length + 2, kMaxLineCapacity); }

template <class T>
T* LastOf(T* first) {
  while (first && first->next) first = first->next;
  return first;
}

// Deletes the records linked after KEEP (all of them when KEEP is none)
// through the document, which keeps its own note of each chain's end.
template <class T, class Delete>
void DropAfter(T* head, T* keep, Delete remove) {
  T* r = keep ? keep->next : head;
  while (r) {
    T* n = r->next;
    remove(r);
    r = n;
  }
}

}  // namespace

void CopyHeaderFrom(TRTFText& doc, const TRTFText& source) {
  if (&doc == &source) return;
  const TTextHeader old = doc.header;  // the tables the document's text refers to
  TTextHeader& h = doc.header;
  const TTextHeader& s = source.header;
  h.colorTable = s.colorTable;
  h.fontTable = s.fontTable;
  h.fontFamily = s.fontFamily;
  h.fontCharset = s.fontCharset;
  h.tabPositions = s.tabPositions;
  h.tabKinds = s.tabKinds;
  h.decimalChar = s.decimalChar;
  h.title = s.title;
  h.subject = s.subject;
  h.comment = s.comment;
  h.pageWidth = s.pageWidth;
  h.pageHeight = s.pageHeight;
  h.marginLeft = s.marginLeft;
  h.marginRight = s.marginRight;
  h.marginTop = s.marginTop;
  h.marginBottom = s.marginBottom;
  h.facingPages = s.facingPages;
  h.landscape = s.landscape;
  // Pixel positions of the tab stops follow this document's resolution.
  h.RecomputeTextSize();

  // Nothing refers to the new colour table yet: every entry but 0 may take
  // a colour the text here needs.
  TTableMapper map(doc, old, 1);
  map.Attr(doc.defaultAttr);
  for (TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (TLine* l = p->firstLine; l; l = l->next)
      if (l->attribs)
        for (int i = 0; i < std::max<int>(l->length, 1) && i < l->capacity; ++i) map.Attr(l->attribs[i]);
    if (p->borderFlags != 0) p->borderSpacingColor = map.BorderSpacingColor(p->borderSpacingColor);
    map.TabMask(p, p->tabMask);
    p->MarkForLayout();
  }
  doc.Changed();
}

TDocumentAppender::TDocumentAppender(TRTFText& doc) : doc_(doc) {}

TParagraph* TDocumentAppender::Last() {
  // The remembered paragraph is still linked while no paragraph was freed;
  // paragraphs others added after it are followed from there.
  if (!last_ || doc_.Generation() != generation_) last_ = doc_.LastParagraph();
  while (last_->next) last_ = last_->next;
  generation_ = doc_.Generation();
  return last_;
}

void TDocumentAppender::LinkAtEnd(TParagraph* chain) {
  const bool replaceEmpty = doc_.IsEmpty();
  TParagraph* last = Last();
  last->next = chain;
  chain->prev = last;
  if (replaceEmpty) doc_.DisposeParagraph(doc_.firstParagraph);
  last_ = chain;
  while (last_->next) last_ = last_->next;
  generation_ = doc_.Generation();
}

TParagraph* TDocumentAppender::AppendParagraph(std::string_view text, const TCharAttr& attr,
                                               const TParagraphFormat& format) {
  TRTFText& doc = doc_;
  const int capacity = std::clamp(int(text.size()) + 2, 8, kMaxLineCapacity);
  // Built unlinked, so that a failure leaves the document as it was.
  TParagraph* p = doc.NewParagraph(nullptr, capacity);
  p->firstIndent = format.firstIndent;
  p->leftIndent = format.leftIndent;
  p->rightIndent = format.rightIndent;
  p->spaceBefore = format.spaceBefore;
  p->spaceAfter = format.spaceAfter;
  p->lineSpacing = format.lineSpacing;
  p->alignment = format.alignment;
  p->flags = format.pageBreakBefore ? pfPageBreak : 0;
  // An empty paragraph still shows in its format (its line height).
  if (p->firstLine->attribs) p->firstLine->attribs[0] = attr;
  try {
    doc.InsertText(TTextPos{p, 0}, text, &attr);
  } catch (...) {
    doc.DisposeChain(p);
    throw;
  }
  LinkAtEnd(p);
  p->MarkForLayout();
  doc.Changed();
  return p;
}

void TDocumentAppender::FastAppendText(const TRTFText& source) {
  TRTFText& doc = doc_;
  if (&doc == &source) throw TRichTextError(kErrFastAppendSelf);
  if (source.IsEmpty()) return;

  TFootnote* const lastFootnote = LastOf(doc.firstFootnote);
  TTextObject* const lastObject = LastOf(doc.firstObject);
  TParagraph* const savedPending = doc.pendingChain;
  TParagraph* head = nullptr;
  std::vector<TTextObject*> requests;
  auto requester = std::move(doc.onObjectRequest);
  doc.onObjectRequest = nullptr;
  try {
    TTableMapper map(doc, source.header);

    std::unordered_map<uint16_t, uint16_t> footnoteIds;
    for (const TFootnote* f = source.firstFootnote; f; f = f->next) {
      TFootnote* copy = doc.AddFootnote(f->mark, f->number, f->text);
      if (!copy) continue;  // every id is taken: the anchor points nowhere
      copy->rawText = f->rawText;
      footnoteIds[f->id] = copy->id;
    }

    std::unordered_map<uint16_t, uint16_t> objectKeys, objectIds;
    for (const TTextObject* o = source.firstObject; o; o = o->next) {
      // A key is an outside tag: kept unless this document uses it already.
      const bool clash = o->key != 0 && doc.FindObject(o->key, 0) != nullptr;
      auto picture = o->picture ? std::make_unique<TPicture>(*o->picture) : nullptr;
      TTextObject* copy = doc.AddObject(std::move(picture), clash ? -1 : int(o->key));
      if (!copy) continue;
      copy->width = o->width;
      copy->height = o->height;
      copy->placeholder = o->placeholder;
      copy->fileName = o->fileName;
      copy->verticalAlign = o->verticalAlign;
      if (!copy->picture) requests.push_back(copy);
      if (o->key != 0) objectKeys.emplace(o->key, copy->key);
      objectIds.emplace(o->id, copy->id);
    }
    // Anchors whose record is missing point nowhere rather than at a record
    // of this document that happens to carry the same number.
    auto lookup = [](const std::unordered_map<uint16_t, uint16_t>& m, int16_t extra) -> int16_t {
      auto it = m.find(uint16_t(extra));
      return it == m.end() ? int16_t(0) : int16_t(it->second);
    };

    TParagraph* tail = nullptr;
    for (const TParagraph* sp = source.firstParagraph; sp; sp = sp->next) {
      const TLine* sl = sp->firstLine;
      // The copy is built as a chain of its own (seen as in use when tab
      // entries are reclaimed) and linked in only when complete.
      TParagraph* np = doc.NewParagraph(tail, LineCapacity(sl));
      if (!head) {
        head = np;
        doc.pendingChain = head;
      }
      tail = np;
      CopyParagraphProperties(*np, *sp);
      TLine* nl = np->firstLine;
      for (; sl; sl = sl->next) {
        if (sl != sp->firstLine) nl = doc.NewLine(nl, LineCapacity(sl));
        std::copy_n(sl->text, sl->length, nl->text);
        nl->length = sl->length;
        nl->text[nl->length] = 0;
        if (!nl->attribs) continue;
        for (int i = 0; i < sl->length; ++i) {
          TCharAttr a = sl->attribs ? sl->attribs[i] : source.defaultAttr;
          map.Attr(a);
          if (a.marks & cmFootnote) a.extra = lookup(footnoteIds, a.extra);
          if (a.marks & cmObject) {
            if (sl->text[i] == kObjectKeyChar) a.extra = lookup(objectKeys, a.extra);
            else if (sl->text[i] == kObjectIdChar) a.extra = lookup(objectIds, a.extra);
          }
          nl->attribs[i] = a;
        }
        if (sl->length == 0) {
          TCharAttr a = sl->attribs ? sl->attribs[0] : source.defaultAttr;
          map.Attr(a);
          nl->attribs[0] = a;
        }
      }
      if (np->borderFlags != 0) np->borderSpacingColor = map.BorderSpacingColor(np->borderSpacingColor);
      map.TabMask(np, sp->tabMask);
      np->MarkForLayout();
    }
    doc.pendingChain = savedPending;
    LinkAtEnd(head);
  } catch (...) {
    doc.pendingChain = savedPending;
    doc.DisposeChain(head);
    DropAfter(doc.firstFootnote, lastFootnote, [&doc](TFootnote* f) { doc.DeleteFootnote(f); });
    DropAfter(doc.firstObject, lastObject, [&doc](TTextObject* o) { doc.DeleteObject(o); });
    doc.onObjectRequest = std::move(requester);
    throw;
  }
  doc.onObjectRequest = std::move(requester);
  // The host may supply pictures for the copied objects that have none, as
  // after a load.
  if (doc.onObjectRequest)
    for (TTextObject* o : requests) doc.onObjectRequest(o->key);
  doc.Changed();
}

TParagraph* AppendParagraph(TRTFText& doc, std::string_view text, const TCharAttr& attr,
                            const TParagraphFormat& format) {
  return TDocumentAppender(doc).AppendParagraph(text, attr, format);
}

void FastAppendText(TRTFText& doc, const TRTFText& source) { TDocumentAppender(doc).FastAppendText(source); }

}  // namespace quill
