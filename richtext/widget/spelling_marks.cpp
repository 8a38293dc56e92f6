#include "richtext/widget/spelling_marks.h"

#include <QPainterPath>
#include <QPen>
#include <algorithm>

#include "richtext/find/win1252_case.h"
#include "richtext/layout/text_paint.h"

namespace quill {

namespace {

// Letters and apostrophes: a boundary between two words never lies inside
// a run of them.
bool InWordRun(uint8_t c) { return IsLetter1252(c) || c == '\''; }

// One case for Ignore All, so that "Zorb" and "zorb" are one word.
std::string Folded(std::string_view word) {
  std::string s(word);
  for (char& c : s) c = char(LowerCase1252(uint8_t(c)));
  return s;
}

}  // namespace

std::vector<TWordRange> WordsOf(std::string_view text, int from, int to) {
  std::vector<TWordRange> words;
  const int n = int(text.size());
  to = std::min(to, n);
  auto at = [&](int i) { return uint8_t(text[size_t(i)]); };
  int i = std::max(from, 0);
  while (i < to) {
    while (i < to && !IsLetter1252(at(i))) ++i;
    if (i >= to) break;
    const int start = i++;
    while (i < n) {
      if (IsLetter1252(at(i))) {
        ++i;
      } else if (at(i) == '\'' && i + 1 < n && IsLetter1252(at(i + 1))) {
        i += 2;
      } else {
        break;
      }
    }
    words.push_back({start, i - start});
  }
  return words;
}

std::string ParagraphCharacters(const TParagraph* paragraph) {
  std::string s;
  for (const TLine* l = paragraph->firstLine; l; l = l->next) s.append(l->Text());
  return s;
}

void TSpellingMarks::SetChecker(TSpellingChecker* checker) {
  if (checker == checker_) return;
  checker_ = checker;
  paragraphs_.clear();
  correct_.clear();
}

bool TSpellingMarks::IsMarked(std::string_view word) {
  ++examined_;
  std::string key(word);
  auto known = correct_.find(key);
  bool correct;
  if (known != correct_.end()) {
    correct = known->second;
  } else {
    correct = checker_->IsWordCorrect(word);
    correct_.emplace(std::move(key), correct);
  }
  if (correct) return false;
  return ignored_.empty() || !ignored_.count(Folded(word));
}

void TSpellingMarks::Update(Entry& entry, std::string&& text) {
  const std::string& old = entry.text;
  const int oldLength = int(old.size());
  const int newLength = int(text.size());
  // The words between the common start and the common end are new.
  int prefix = 0;
  const int shorter = std::min(oldLength, newLength);
  while (prefix < shorter && old[size_t(prefix)] == text[size_t(prefix)]) ++prefix;
  int suffix = 0;
  while (suffix < shorter - prefix &&
         old[size_t(oldLength - 1 - suffix)] == text[size_t(newLength - 1 - suffix)])
    ++suffix;
  int low = prefix;
  while (low > 0 && InWordRun(uint8_t(text[size_t(low - 1)]))) --low;
  int high = newLength - suffix;
  while (high < newLength && InWordRun(uint8_t(text[size_t(high)]))) ++high;
  const int shift = newLength - oldLength;
  const int oldHigh = high - shift;

  std::vector<TWordRange> marks;
  for (const TWordRange& m : entry.marks)
    if (m.End() <= low) marks.push_back(m);
  for (const TWordRange& w : WordsOf(text, low, high))
    if (IsMarked(std::string_view(text).substr(size_t(w.start), size_t(w.length)))) marks.push_back(w);
  for (const TWordRange& m : entry.marks)
    if (m.start >= oldHigh) marks.push_back({m.start + shift, m.length});
  entry.marks = std::move(marks);
  entry.text = std::move(text);
}

const std::vector<TWordRange>& TSpellingMarks::MarksOf(const TParagraph* paragraph) {
  if (!checker_ || !paragraph) return none_;
  std::string text = ParagraphCharacters(paragraph);
  auto [it, added] = paragraphs_.try_emplace(paragraph);
  Entry& entry = it->second;
  if (added || entry.text != text) Update(entry, std::move(text));
  return entry.marks;
}

TWordRange TSpellingMarks::MarkAt(const TParagraph* paragraph, int offset) {
  for (const TWordRange& m : MarksOf(paragraph))
    if (offset >= m.start && offset <= m.End()) return m;
  return {};
}

int TSpellingMarks::MarkDocument(const TRTFText& document) {
  int count = 0;
  for (const TParagraph* p = document.firstParagraph; p; p = p->next) count += int(MarksOf(p).size());
  return count;
}

void TSpellingMarks::Ignore(std::string_view word) {
  ignored_.insert(Folded(word));
  paragraphs_.clear();
}

void TSpellingMarks::Recheck() {
  paragraphs_.clear();
  correct_.clear();
}

void TSpellingMarks::Forget() {
  paragraphs_.clear();
  ignored_.clear();
}

void TSpellingMarks::Prune(const TRTFText& document) {
  if (document.Generation() == generation_) return;
  generation_ = document.Generation();
  std::unordered_set<const TParagraph*> live;
  for (const TParagraph* p = document.firstParagraph; p; p = p->next) live.insert(p);
  std::erase_if(paragraphs_, [&](const auto& e) { return !live.count(e.first); });
}

void DrawSpellingMarks(QPainter& painter, TSpellingMarks& marks, const TRTFText& document,
                       const TRTFTextPaint& layout, int left, int originY, int fromY, int toY) {
  if (!marks.Active()) return;
  marks.Prune(document);
  painter.save();
  QPen pen(QColor(220, 0, 0));
  pen.setWidthF(1.0);
  painter.setPen(pen);
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const TParagraph* p = document.firstParagraph; p; p = p->next) {
    const TLine* first = p->firstLine;
    if (!first) continue;
    const TLine* last = first;
    while (last->next) last = last->next;
    if (first->top >= toY && !p->IsTableCell()) break;
    if (last->top + int(last->height) <= fromY) continue;
    const std::vector<TWordRange>& words = marks.MarksOf(p);
    if (words.empty()) continue;
    int offset = 0;
    for (const TLine* l = first; l; offset += l->length, l = l->next) {
      if (l->top >= toY || l->top + int(l->height) <= fromY) continue;
      const int lineEnd = offset + l->length;
      for (const TWordRange& w : words) {
        const int a = std::max(w.start, offset), b = std::min(w.End(), lineEnd);
        if (a >= b) continue;
        const int x1 = left + layout.CharX(p, l, a - offset);
        const int x2 = left + layout.CharX(p, l, b - offset);
        // Inside its own line, so that repainting a neighbour line never
        // leaves half a wave behind.
        const int lineTop = originY + l->top, lineBottom = lineTop + l->height;
        painter.save();
        painter.setClipRect(QRect(x1 - 1, lineTop, x2 - x1 + 2, lineBottom - lineTop), Qt::IntersectClip);
        const qreal y = std::min<qreal>(lineTop + l->ascent + 2.5, lineBottom - 1.5);
        // A zigzag of 2-pixel steps, as word processors draw it.
        QPainterPath wave(QPointF(x1, y));
        bool up = true;
        for (int x = x1 + 2; x <= x2; x += 2, up = !up) wave.lineTo(x, up ? y - 1.5 : y + 0.5);
        painter.drawPath(wave);
        painter.restore();
      }
    }
  }
  painter.restore();
}

}  // namespace quill
