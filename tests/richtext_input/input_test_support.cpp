#include "tests/richtext_input/input_test_support.h"

#include <string>

namespace quill::testing {

namespace {

bool Hidden(const TLine* l, int i) { return l->attribs && (l->attribs[i].marks & cmHidden); }

}  // namespace

void MeasureAll(TRTFText& doc) {
  int y = 0;
  for (TParagraph* p = doc.firstParagraph; p; p = p->next) {
    for (TLine* l = p->firstLine; l; l = l->next) {
      for (int i = 0; i < l->length && l->attribs; ++i) l->attribs[i].width = Hidden(l, i) ? 0 : kCharWidth;
      l->height = kLineHeight;
      l->top = y;
      y += kLineHeight;
    }
    p->layoutState = 0;
  }
}

int TFixedLayout::Relayout(TParagraph& p) {
  ++relayouts;
  int result = 1;
  if (wrapAt_ > 0) {
    int before = 0;
    for (TLine* l = p.firstLine; l; l = l->next) ++before;
    // Gather the paragraph's characters and lay them into fresh lines.
    std::string text;
    std::vector<TCharAttr> attrs;
    for (TLine* l = p.firstLine; l; l = l->next) {
      text.append(l->Text());
      if (l->attribs) attrs.insert(attrs.end(), l->attribs, l->attribs + l->length);
    }
    TLine* first = doc_.NewLine(nullptr, wrapAt_ + 2);
    if (p.firstLine->attribs && first->attribs) first->attribs[0] = p.firstLine->attribs[0];
    TLine* last = first;
    int after = 1;
    for (size_t i = 0; i < text.size(); ++i) {
      if (last->length == wrapAt_) {
        last = doc_.NewLine(last, wrapAt_ + 2);
        ++after;
      }
      doc_.AppendChar(last, uint8_t(text[i]), attrs.empty() ? doc_.defaultAttr : attrs[i]);
    }
    TLine* old = p.firstLine;
    while (old) {
      TLine* n = old->next;
      delete old;
      old = n;
    }
    p.firstLine = first;
    if (after != before) result = 3;
  }
  MeasureAll(doc_);
  return result;
}

TTextPos BuildDocument(TRTFText& doc, std::string_view notation, bool* atLineEnd) {
  doc.ClearDocument();
  TParagraph* p = doc.firstParagraph;
  TLine* line = p->firstLine;
  TCharAttr attr = doc.defaultAttr;
  TTextPos cursor{p, 0};
  bool startOfParagraph = true;
  for (size_t k = 0; k < notation.size(); ++k) {
    const char c = notation[k];
    if (startOfParagraph && (c == '%' || c == '!')) {
      p->flags |= c == '%' ? pfPageBreak : pfTableCell;
      continue;
    }
    startOfParagraph = false;
    switch (c) {
      case '|':
        p = doc.NewParagraph(p, 40);
        p->flags = 0;
        line = p->firstLine;
        startOfParagraph = true;
        break;
      case '^':
        line = doc.NewLine(line, 40);
        break;
      case '#':
        cursor = {p, p->TextLength()};
        if (atLineEnd) *atLineEnd = k + 1 < notation.size() && notation[k + 1] == '^';
        break;
      case '{':
        attr.marks |= cmHidden;
        break;
      case '}':
        attr.marks &= uint8_t(~cmHidden);
        break;
      default:
        doc.AppendChar(line, uint8_t(c), attr);
        break;
    }
  }
  MeasureAll(doc);
  return cursor;
}

TInputRig::TInputRig(std::string_view notation, int wrapAt) : layout(doc, wrapAt) {
  bool atLineEnd = false;
  const TTextPos at = BuildDocument(doc, notation, &atLineEnd);
  input = std::make_unique<TRTFTextInput>(doc, &layout, &clipboard);
  input->SetCursor(at, atLineEnd);
}

std::string Show(TRTFTextInput& input, TRTFText& doc) {
  const TDocPos c = input.Cursor();
  const bool sel = input.HasSelection();
  const TTextPos a = sel ? input.SelectionStart() : TTextPos{};
  const TTextPos b = sel ? input.SelectionEnd() : TTextPos{};
  std::string s;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p != doc.firstParagraph) s += '|';
    if (p->flags & pfPageBreak) s += '%';
    if (p->IsTableCell()) s += '!';
    int offset = 0;
    for (const TLine* l = p->firstLine; l; l = l->next) {
      if (l != p->firstLine) s += '^';
      for (int i = 0; i <= l->length; ++i) {
        const bool boundaryShown = i < l->length || !l->next;
        if (sel && boundaryShown && p == a.paragraph && offset + i == a.position) s += '[';
        if (p == c.paragraph && l == c.line && i == c.index) s += '#';
        if (sel && boundaryShown && p == b.paragraph && offset + i == b.position) s += ']';
        if (i == l->length) break;
        if (Hidden(l, i) && (i == 0 || !Hidden(l, i - 1))) s += '{';
        s += char(l->text[i]);
        if (Hidden(l, i) && (i + 1 == l->length || !Hidden(l, i + 1))) s += '}';
      }
      offset += l->length;
    }
  }
  return s;
}

std::vector<TStroke> Typed(std::string_view text) {
  std::vector<TStroke> out;
  for (char c : text) out.push_back(Ch(c));
  return out;
}

TKeyResult Press(TRTFTextInput& input, const std::vector<TStroke>& strokes) {
  TKeyResult r;
  for (const TStroke& s : strokes) r = s.kind == TStroke::KeyDown ? input.KeyDown(s.key, s.modifiers) : input.KeyPress(s.ch);
  return r;
}

}  // namespace quill::testing
