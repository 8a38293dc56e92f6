#include "richtext/find/text_finder.h"

#include <algorithm>
#include <new>

#include "richtext/find/win1252_case.h"

namespace quill {

namespace {
constexpr size_t kPatternMax = 256;
constexpr size_t kPartMax = 255;
constexpr int kReplaceBatch = 30;
constexpr int kFarPosition = 268435455;
}  // namespace

// ---- ParaText ---------------------------------------------------------------

void TTextFinder::ParaText::Attach(const TParagraph* p) {
  lines_.clear();
  starts_.clear();
  int n = 0;
  for (const TLine* l = p ? p->firstLine : nullptr; l; l = l->next) {
    lines_.push_back(l);
    starts_.push_back(n);
    n += l->length;
  }
  starts_.push_back(n);
  length_ = n;
  cached_ = 0;
}

int TTextFinder::ParaText::LineOf(int i) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, i);
  return int(it - starts_.begin()) - 1;
}

uint8_t TTextFinder::ParaText::At(int i) const {
  if (i < starts_[size_t(cached_)] || i >= starts_[size_t(cached_) + 1]) cached_ = LineOf(i);
  return lines_[size_t(cached_)]->text[i - starts_[size_t(cached_)]];
}

const TCharAttr* TTextFinder::ParaText::AttrAt(int i) const {
  if (i < 0 || i >= length_) return nullptr;
  const int li = LineOf(i);
  const TLine* l = lines_[size_t(li)];
  return l->attribs ? &l->attribs[i - starts_[size_t(li)]] : nullptr;
}

// ---- positions ----------------------------------------------------------------

TTextFinder::TTextFinder(TRTFText* document) : doc_(document) { Restart(); }

void TTextFinder::ClearFound() {
  found_ = false;
  foundStart_ = 0;
  foundLength_ = 0;
}

void TTextFinder::Sync() {
  if (!doc_ || doc_->Generation() == generation_) return;
  // Paragraphs were freed since the last call: the pointer may dangle, and
  // a match found before is gone. Keep only the place, as a position.
  Seek(paragraphStart_ + index_, false);
}

void TTextFinder::Restart() {
  paragraph_ = doc_ ? doc_->firstParagraph : nullptr;
  generation_ = doc_ ? doc_->Generation() : 0;
  paragraphStart_ = 0;
  index_ = 0;
  ClearFound();
}

void TTextFinder::RestartAtEnd() { SetPosition(kFarPosition); }

void TTextFinder::Clear() {
  matchCase = 0;
  wholeWord = false;
  wildcard = 0;
  wordDelimiter = 0;
  wordMode = false;
  direction_ = 0;
  pattern_.clear();
  lastReplacement_.clear();
  replaceCount_ = 0;
  foundAttr_ = TCharAttr{};
  Restart();
}

int TTextFinder::SetPosition(int position) {
  Seek(position, false);
  return paragraphStart_;
}

// Walking from the current paragraph keeps stepping through a long document
// linear; a walk from the first paragraph is used whenever the caller may have
// changed the document since the finder last looked.
void TTextFinder::Seek(int position, bool fromCurrent) {
  ClearFound();
  if (doc_ && doc_->Generation() != generation_) fromCurrent = false;
  TParagraph* p;
  int start;
  if (fromCurrent && paragraph_) {
    p = paragraph_;
    start = paragraphStart_;
    // The first paragraph whose end reaches the position may lie before.
    while (p->prev && position <= start) {
      p = p->prev;
      start -= p->TextLength() + 1;
    }
  } else {
    p = doc_ ? doc_->firstParagraph : nullptr;
    start = 0;
  }
  while (p) {
    const int len = p->TextLength();
    if (start + len + 1 >= position) break;
    start += len + 1;
    p = p->next;
  }
  paragraph_ = p;
  paragraphStart_ = start;
  index_ = position - start;
  generation_ = doc_ ? doc_->Generation() : 0;
}

// ---- character rules ----------------------------------------------------------

bool TTextFinder::CharsMatch(uint8_t textChar, uint8_t patternChar) const {
  if (wildcard != 0 && patternChar == wildcard) return true;
  if (matchCase == 1) return textChar == patternChar;
  return LowerCase1252(textChar) == LowerCase1252(patternChar);
}

bool TTextFinder::IsDelimiter(uint8_t c) const { return !IsLetter1252(c); }

bool TTextFinder::MatchesAt(const ParaText& t, int at, std::string_view pat) const {
  for (size_t k = 0; k < pat.size(); ++k)
    if (!CharsMatch(t.At(at + int(k)), uint8_t(pat[k]))) return false;
  return true;
}

bool TTextFinder::WholeWordAt(const ParaText& t, int start, int len) const {
  if (start > 0 && !IsDelimiter(t.At(start - 1))) return false;
  const int end = start + len;
  return end >= t.Length() || IsDelimiter(t.At(end));
}

int TTextFinder::ScanForward(const ParaText& t, int from, std::string_view pat) const {
  const int n = int(pat.size());
  if (n == 0) return -1;
  for (int s = std::max(from, 0); s + n <= t.Length(); ++s) {
    if (MatchesAt(t, s, pat) && (!wholeWord || WholeWordAt(t, s, n))) return s;
  }
  return -1;
}

int TTextFinder::ScanBackward(const ParaText& t, int lastEnd, std::string_view pat) const {
  const int n = int(pat.size());
  if (n == 0) return -1;
  for (int e = std::min(lastEnd, t.Length() - 1); e - n + 1 >= 0; --e) {
    const int s = e - n + 1;
    bool ok = true;
    for (int k = n - 1; k >= 0 && ok; --k) ok = CharsMatch(t.At(s + k), uint8_t(pat[size_t(k)]));
    if (ok && (!wholeWord || WholeWordAt(t, s, n))) return s;
  }
  return -1;
}

// A word starts at a letter and runs over letters; an apostrophe inside it
// belongs to it when a letter follows, so "don't" is one word and
// "students'" gives "students".
bool TTextFinder::NextWord(const ParaText& t, int from, Match& m) const {
  const int len = t.Length();
  int i = std::max(from, 0);
  while (i < len && IsDelimiter(t.At(i))) ++i;
  if (i >= len) return false;
  const int start = i++;
  while (i < len) {
    const uint8_t c = t.At(i);
    if (!IsDelimiter(c)) {
      ++i;
    } else if (c == '\'' && i + 1 < len && !IsDelimiter(t.At(i + 1))) {
      i += 2;
    } else {
      break;
    }
  }
  m = {start, i - start};
  return true;
}

TTextFinder::Prepared TTextFinder::Prepare(std::string_view pattern) {
  pattern_.assign(pattern.substr(0, kPatternMax));
  Prepared p;
  const size_t at = wildcard != 0 ? pattern_.find(char(wildcard)) : std::string::npos;
  if (at != std::string::npos && at + 1 <= kPartMax) {
    p.split = true;
    p.prefix = pattern_.substr(0, at);
    p.suffix = pattern_.substr(at + 1, kPartMax);
  } else {
    p.plain = pattern_.substr(0, kPartMax);
  }
  return p;
}

// ---- one paragraph ------------------------------------------------------------

bool TTextFinder::SearchForward(const ParaText& t, int from, const Prepared& p, Match& m) const {
  const int len = t.Length();
  from = std::max(from, 0);
  if (!p.split) {
    const int s = ScanForward(t, from, p.plain);
    if (s < 0) return false;
    m = {s, int(p.plain.size())};
    return true;
  }
  if (p.prefix.empty() && p.suffix.empty()) {
    if (wordMode) return NextWord(t, from, m);
    if (from >= len) return false;
    m = {from, len - from};
    return true;
  }
  // An empty prefix swallows the rest of the paragraph, leaving nothing for
  // the suffix.
  if (p.prefix.empty()) return false;
  const int s = ScanForward(t, from, p.prefix);
  if (s < 0) return false;
  const int afterPrefix = s + int(p.prefix.size());
  if (p.suffix.empty()) {
    m = {s, len - s};
    return true;
  }
  // Later prefixes only leave less room for the suffix, so the first prefix
  // decides.
  const int u = ScanForward(t, afterPrefix, p.suffix);
  if (u < 0) return false;
  m = {s, u + int(p.suffix.size()) - s};
  return true;
}

bool TTextFinder::SearchBackward(const ParaText& t, int lastEnd, const Prepared& p, Match& m) const {
  const int len = t.Length();
  lastEnd = std::min(lastEnd, len - 1);
  if (lastEnd < 0) return false;
  if (!p.split) {
    const int s = ScanBackward(t, lastEnd, p.plain);
    if (s < 0) return false;
    m = {s, int(p.plain.size())};
    return true;
  }
  if (p.prefix.empty() && p.suffix.empty()) {
    if (wordMode) {
      // The last word that starts at or before the place.
      bool any = false;
      Match w;
      int from = 0;
      while (NextWord(t, from, w) && w.start <= lastEnd) {
        m = w;
        any = true;
        from = w.start + w.length;
      }
      return any;
    }
    m = {0, lastEnd + 1};
    return true;
  }
  if (p.prefix.empty()) return false;
  if (p.suffix.empty()) {
    const int s = ScanBackward(t, lastEnd, p.prefix);
    if (s < 0) return false;
    m = {s, len - s};
    return true;
  }
  const int u = ScanBackward(t, lastEnd, p.suffix);
  if (u < 0) return false;
  // Earlier suffixes only leave less room for the prefix.
  const int s = ScanBackward(t, u - 1, p.prefix);
  if (s < 0) return false;
  m = {s, u + int(p.suffix.size()) - s};
  return true;
}

void TTextFinder::SetFound(const ParaText& t, const Match& m) {
  found_ = true;
  foundStart_ = paragraphStart_ + m.start;
  foundLength_ = m.length;
  index_ = m.start;
  const TCharAttr* a = t.AttrAt(m.start);
  foundAttr_ = a ? *a : doc_->defaultAttr;
}

// ---- searching ------------------------------------------------------------------

void TTextFinder::FindForward(std::string_view pattern) {
  Sync();
  ClearFound();
  const Prepared p = Prepare(pattern);
  if (pattern_.empty()) return;
  Match m;
  while (paragraph_) {
    text_.Attach(paragraph_);
    if (SearchForward(text_, index_, p, m)) {
      SetFound(text_, m);
      return;
    }
    paragraphStart_ += text_.Length() + 1;
    index_ = 0;
    paragraph_ = paragraph_->next;
  }
}

void TTextFinder::FindBackward(std::string_view pattern) {
  Sync();
  ClearFound();
  const Prepared p = Prepare(pattern);
  if (pattern_.empty() || !doc_ || !doc_->firstParagraph) return;
  if (!paragraph_) {
    // Ran off the end: search from the document's last character.
    paragraph_ = doc_->firstParagraph;
    paragraphStart_ = 0;
    while (paragraph_->next) {
      paragraphStart_ += paragraph_->TextLength() + 1;
      paragraph_ = paragraph_->next;
    }
    index_ = paragraph_->TextLength() - 1;
  }
  Match m;
  int lastEnd = index_;
  for (;;) {
    text_.Attach(paragraph_);
    if (SearchBackward(text_, lastEnd, p, m)) {
      SetFound(text_, m);
      return;
    }
    if (!paragraph_->prev) {
      // Before the document's first character.
      paragraphStart_ = 0;
      index_ = -1;
      return;
    }
    paragraph_ = paragraph_->prev;
    const int len = paragraph_->TextLength();
    paragraphStart_ -= len + 1;
    lastEnd = len - 1;
    index_ = lastEnd;
  }
}

bool TTextFinder::FindNext(std::string_view pattern) {
  Sync();
  Seek(paragraphStart_ + index_ + foundLength_, true);
  FindForward(pattern);
  direction_ = 0;
  return found_;
}

bool TTextFinder::FindPrevious(std::string_view pattern) {
  Sync();
  Seek(paragraphStart_ + index_ - 1, true);
  FindBackward(pattern);
  direction_ = 1;
  return found_;
}

bool TTextFinder::FindText(std::string_view text, bool backward) {
  wildcard = '*';
  if (backward) {
    RestartAtEnd();
    return FindPrevious(text);
  }
  Restart();
  return FindNext(text);
}

std::string TTextFinder::NextWord(bool fromCursor, int cursor) {
  wildcard = '*';
  wordDelimiter = ' ';
  wordMode = true;
  Sync();
  if (RanOff()) Restart();
  if (fromCursor) SetPosition(cursor);
  while (FindNext("*")) {
    std::string word = FoundText();
    if (!word.empty()) return word;
  }
  return std::string();
}

std::string TTextFinder::FoundText() const {
  std::string out;
  if (!found_ || foundLength_ <= 0 || !paragraph_) return out;
  if (doc_ && doc_->Generation() != generation_) return out;  // the match is gone
  ParaText t;
  t.Attach(paragraph_);
  const int end = std::min(index_ + foundLength_, t.Length());
  out.reserve(size_t(std::max(end - index_, 0)));
  for (int i = index_; i < end; ++i) out.push_back(char(t.At(i)));
  return out;
}

// ---- replacing ------------------------------------------------------------------

bool TTextFinder::ReplaceFound(std::string_view text) {
  Sync();
  if (!found_ || !paragraph_ || !doc_) return false;
  const TTextPos start{paragraph_, index_};
  const TTextPos end{paragraph_, index_ + foundLength_};
  TTextPos after;
  try {
    // The new text goes in behind the match first, so that a failure
    // leaves the match in place.
    after = doc_->InsertText(end, text, &foundAttr_);
    doc_->DeleteRange(start, end);
  } catch (const TRichTextError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  foundLength_ = after.position - end.position;
  lastReplacement_.assign(text);
  return true;
}

void TTextFinder::ReplaceAll(std::string_view pattern, std::string_view replacement) {
  Sync();
  Seek(paragraphStart_ + index_ + foundLength_, true);
  if (pattern.empty()) return;
  ClearFound();
  direction_ = 0;
  replaceCount_ = 0;
  for (;;) {
    for (int i = 0; i < kReplaceBatch; ++i) {
      FindForward(pattern);
      if (!found_) return;
      if (ReplaceFound(replacement)) {
        index_ += foundLength_;
        ++replaceCount_;
      } else {
        // This match cannot take the replacement; leave it and go on.
        index_ += std::max(foundLength_, 1);
      }
    }
    if (stopRequested && stopRequested()) return;
  }
}

}  // namespace quill
