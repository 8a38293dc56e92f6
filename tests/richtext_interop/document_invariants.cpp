#include "tests/richtext_interop/document_invariants.h"

#include <cstdlib>
#include <set>
#include <sstream>

namespace quill::testing {
namespace {

// Keeps the walk finite on a corrupted chain (a cycle would never end).
constexpr long kMaxNodes = 50'000'000;

std::string Where(int par, int line) {
  std::ostringstream s;
  s << "paragraph " << par << ", line " << line << ": ";
  return s.str();
}

}  // namespace

std::string CheckDocumentInvariants(const TRTFText& doc, const InvariantChecks& checks) {
  const TTextHeader& h = doc.header;
  // Free font entries only at the end of the table.
  bool sawFree = false;
  for (int i = 0; i < kFontCount; ++i) {
    const TFontName& f = h.fontTable[size_t(i)];
    if (f.length > kFontNameMax) return "font entry " + std::to_string(i) + " longer than 31";
    if (f.Empty()) sawFree = true;
    else if (sawFree) return "font entry " + std::to_string(i) + " follows a free entry";
  }

  std::set<uint16_t> footnoteIds;
  long nodes = 0;
  for (const TFootnote* f = doc.firstFootnote; f; f = f->next) {
    if (++nodes > kMaxNodes) return "footnote chain does not end";
    if (f->next && f->next->prev != f) return "footnote chain links broken";
    if (f->id == 0) return "footnote with id 0";
    if (!footnoteIds.insert(f->id).second) return "footnote id " + std::to_string(f->id) + " twice";
  }
  std::set<uint16_t> objectKeys, objectIds;
  for (const TTextObject* o = doc.firstObject; o; o = o->next) {
    if (++nodes > kMaxNodes) return "object chain does not end";
    if (o->next && o->next->prev != o) return "object chain links broken";
    objectKeys.insert(o->key);
    if (!objectIds.insert(o->id).second) return "object id " + std::to_string(o->id) + " twice";
    if (o->ownsPicture != (o->picture != nullptr) && o->ownsPicture)
      return "object owns a picture it does not have";
  }

  const TParagraph* p = doc.firstParagraph;
  if (!p) return "document has no paragraph";
  if (p->prev) return "first paragraph has a predecessor";
  const bool rich = !doc.plainMode;
  int pi = 0;
  for (; p; p = p->next, ++pi) {
    if (++nodes > kMaxNodes) return "paragraph chain does not end";
    if (p->next && p->next->prev != p) return Where(pi, -1) + "next paragraph does not point back";
    if (p->alignment > alJustify) return Where(pi, -1) + "alignment " + std::to_string(p->alignment);
    if (!p->IsTableCell()) {
      for (int b = 0; b < kTabCount; ++b)
        if ((p->tabMask >> b) & 1u)
          if (h.tabPositions[size_t(b)] <= 0)
            return Where(pi, -1) + "tab mask names free tab entry " + std::to_string(b);
      if (p->tabMask >> kTabCount) return Where(pi, -1) + "tab mask bit 31 set";
    }
    const TLine* l = p->firstLine;
    if (!l) return Where(pi, -1) + "paragraph without a line";
    if (l->prev) return Where(pi, 0) + "first line has a predecessor";
    int li = 0;
    for (; l; l = l->next, ++li) {
      if (++nodes > kMaxNodes) return "line chain does not end";
      if (l->next && l->next->prev != l) return Where(pi, li) + "next line does not point back";
      if (!l->text) return Where(pi, li) + "no text array";
      if (l->capacity > kMaxLineCapacity) return Where(pi, li) + "capacity above 10000";
      if (l->length > l->capacity) return Where(pi, li) + "length beyond capacity";
      if (l->text[l->length] != 0) return Where(pi, li) + "text not 0-terminated";
      if (rich && !l->attribs) return Where(pi, li) + "rich document line without attributes";
      if (!rich && l->attribs) return Where(pi, li) + "plain document line with attributes";
      for (int i = 0; i < l->length; ++i) {
        const uint8_t c = l->text[i];
        if (checks.controlCodes && (c == 0 || c == 3)) return Where(pi, li) + "character code " + std::to_string(c) + " in text";
        if (!l->attribs) continue;
        const TCharAttr& a = l->attribs[i];
        // Entry 0 may be empty in a document that never had a font table:
        // it then stands for the display's default font.
        if (checks.fontEntries && a.font > 0 && a.font < kFontCount && h.fontTable[a.font].Empty())
          return Where(pi, li) + "character names free font entry " + std::to_string(a.font);
        if (a.font > kFontCount) return Where(pi, li) + "font index " + std::to_string(a.font);
        if ((a.marks & cmFootnote) && !footnoteIds.count(uint16_t(a.extra)))
          return Where(pi, li) + "footnote anchor without footnote " + std::to_string(a.extra);
        if (checks.objectCharacters && (a.marks & cmObject) && c == kObjectKeyChar && !objectKeys.count(uint16_t(a.extra)))
          return Where(pi, li) + "object character without object " + std::to_string(a.extra);
        if (checks.objectCharacters && (a.marks & cmObject) && c == kObjectIdChar && !objectIds.count(uint16_t(a.extra)))
          return Where(pi, li) + "object character without object id " + std::to_string(a.extra);
      }
    }
  }
  return {};
}

InvariantChecks FuzzInvariantChecks() {
  static const InvariantChecks checks = [] {
    InvariantChecks c;
    const char* lenient = std::getenv("QB_FUZZ_LENIENT");
    const std::string l = lenient ? lenient : "";
    if (l.find("fonts") != std::string::npos) c.fontEntries = false;
    if (l.find("codes") != std::string::npos) c.controlCodes = false;
    if (l.find("objects") != std::string::npos) c.objectCharacters = false;
    return c;
  }();
  return checks;
}

}  // namespace quill::testing
