#include "richtext/io/rtf_writer.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "richtext/io/rounded_div.h"

namespace quill {

namespace {

constexpr size_t kTextPiece = 90;      // run text goes out in pieces of about this
constexpr size_t kRowFlush = 512;      // a long row definition is flushed past this
constexpr int kMaxRowCells = 50;
constexpr char kHex[] = "0123456789abcdef";

// The reader takes 32-bit parameters: a computed value beyond them (cell
// edges of extreme pages, indent differences, picture row sizes) goes out as
// the nearest one it reads, so that it never stops a later load.
void AppendInt(std::string& s, long long v) {
  v = std::clamp<long long>(v, INT32_MIN, INT32_MAX);
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, size_t(r.ptr - buf));
}

void AppendWord(std::string& s, std::string_view word, long long v) {
  s += word;
  AppendInt(s, v);
}

void AppendHexByte(std::string& s, uint8_t b) {
  s += "\\'";
  s += kHex[b >> 4];
  s += kHex[b & 15];
}

// Spacing in millimetres (the high nibble of a paragraph's spacing byte) as
// twips, rounded: 1 mm is 56.7 twips.
long long SpacingTwips(uint8_t spacingColor) {
  const long long shifted = (spacingColor >> 4) * 16;
  return (shifted * 567 + 80) / 160;
}

std::string_view FamilyWord(int32_t family) {
  switch (family & 0xF0) {
    case 0x20: return "\\fswiss";
    case 0x30: return "\\fmodern";
    case 0x40: return "\\fscript";
    case 0x50: return "\\fdecor";
    default: return "\\fnil";
  }
}

std::string_view AlignmentWord(uint8_t a) {
  switch (a) {
    case 1: return "\\qr";
    case 2: return "\\qc";
    case 3: return "\\qj";
    default: return "\\ql";
  }
}

std::string_view TabKindWord(uint8_t kind) {
  switch (kind) {
    case 1: return "\\tqr";
    case 2: return "\\tqc";
    case 3: return "\\tqdec";
    default: return "";
  }
}

bool IsLastCellOfRow(const TParagraph& p) {
  return (p.flags & pfLastCell) && !(p.flags & pfRowContinues);
}

// The border bytes that decide whether a border group still fits; the "ends
// here" flag only says when to close it.
bool SameBorder(uint8_t flagsA, uint8_t styleA, uint8_t widthA, uint8_t spcA,
                const TParagraph& p) {
  return (flagsA & ~bfEnds) == (p.borderFlags & ~bfEnds) && styleA == p.borderStyle &&
         widthA == p.borderWidth && spcA == p.borderSpacingColor;
}

void AppendHexData(std::string& s, const uint8_t* data, size_t n) {
  const size_t at = s.size();
  s.resize(at + 2 * n);
  char* o = s.data() + at;
  for (size_t i = 0; i < n; ++i) {
    o[2 * i] = kHex[data[i] >> 4];
    o[2 * i + 1] = kHex[data[i] & 15];
  }
}

}  // namespace

TRTFWriter::TRTFWriter(const TRTFText& document, TWriteStream& out, TWriteOptions options)
    : TTextWriter(document, out, options) {
  scratch_.reserve(256);
}

// ---- escaping -----------------------------------------------------------------

namespace {
// Bytes that go out as they are: 0 no, 1 yes, 2 only in raw RTF runs.
struct PlainBytes {
  uint8_t kind[256] = {};
  constexpr PlainBytes() {
    for (int c = 32; c <= 126; ++c) kind[c] = 1;
    kind[int('\\')] = kind[int('{')] = kind[int('}')] = 2;
  }
};
constexpr PlainBytes kPlainBytes{};
}  // namespace

void TRTFWriter::AppendEscaped(std::string& out, const uint8_t* text, int len, bool raw) {
  const uint8_t keep = raw ? 2 : 1;
  int i = 0;
  while (i < len) {
    // The common case: a stretch of printable characters in one append.
    int j = i;
    while (j < len && kPlainBytes.kind[text[j]] != 0 && kPlainBytes.kind[text[j]] <= keep) ++j;
    if (j > i) {
      out.append(reinterpret_cast<const char*>(text + i), size_t(j - i));
      if (j == len) break;
    }
    const uint8_t c = text[j];
    if (kPlainBytes.kind[c] == 2) {
      out += '\\';
      out += char(c);
    } else if (c == 9) {
      out += "\\tab ";
    } else if (c == 10) {
      out += "\\line ";
    } else if (c > 3) {
      AppendHexByte(out, c);
    }
    i = j + 1;
  }
}

void TRTFWriter::AppendDestinationText(std::string& out, std::string_view text) {
  for (char ch : text) {
    const uint8_t c = uint8_t(ch);
    if (c < 32 || c == '\\' || c == '{' || c == '}') {
      AppendHexByte(out, c);
    } else {
      out += ch;
    }
  }
}

int TRTFWriter::Flush(std::string& buf) {
  if (buf.empty()) return kWriteOk;
  const int rc = Put(buf);
  buf.clear();
  return rc;
}

// ---- header -------------------------------------------------------------------

int TRTFWriter::Header() {
  const TTextHeader& h = doc_.header;
  std::string s = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl";
  auto font = [&](int number, int index) {
    s += "{\\f";
    AppendInt(s, number);
    s += FamilyWord(h.fontFamily[size_t(index)]);
    AppendWord(s, "\\charset", h.fontCharset[size_t(index)]);
    s += ' ';
    AppendDestinationText(s, h.fontTable[size_t(index)].View());
    s += ";}";
  };
  if (doc_.plainMode) {
    font(0, doc_.defaultAttr.font < kFontCount ? doc_.defaultAttr.font : 0);
  } else {
    for (int i = 0; i < kFontCount && !h.fontTable[size_t(i)].Empty(); ++i) font(i, i);
  }
  s += "}{\\colortbl";
  for (uint32_t c : h.colorTable) {
    AppendWord(s, "\\red", RedOf(c));
    AppendWord(s, "\\green", GreenOf(c));
    AppendWord(s, "\\blue", BlueOf(c));
    s += ';';
  }
  s += '}';
  AppendWord(s, "\\paperw", h.pageWidth);
  AppendWord(s, "\\paperh", h.pageHeight);
  AppendWord(s, "\\margl", h.marginLeft);
  AppendWord(s, "\\margr", h.marginRight);
  AppendWord(s, "\\margt", h.marginTop);
  AppendWord(s, "\\margb", h.marginBottom);
  if (!h.title.empty()) {
    s += "{\\title ";
    AppendDestinationText(s, h.title);
    s += '}';
  }
  if (!h.subject.empty()) {
    s += "{\\subject\t";
    AppendDestinationText(s, h.subject);
    s += '}';
  }
  if (!h.comment.empty()) {
    s += "{\\comment\t";
    AppendDestinationText(s, h.comment);
    s += '}';
  }
  return Put(s);
}

// ---- groups -------------------------------------------------------------------

void TRTFWriter::Push(uint8_t kind, std::string& buf) {
  Group g = groups_.empty() ? Group{} : groups_.back();
  g.kind = kind;
  groups_.push_back(g);
  buf += '{';
}

bool TRTFWriter::HasOpen(uint8_t kind) const {
  for (size_t i = 1; i < groups_.size(); ++i)
    if (groups_[i].kind == kind) return true;
  return false;
}

bool TRTFWriter::CloseThrough(uint8_t kind, std::string& buf) {
  if (!HasOpen(kind)) return false;
  while (groups_.size() > 1) {
    const uint8_t k = groups_.back().kind;
    groups_.pop_back();
    buf += '}';
    if (k == kind) break;
  }
  return true;
}

// ---- paragraph start ----------------------------------------------------------

int TRTFWriter::AppendRowDefinition(const TParagraph& first, std::string& buf) {
  const TTextHeader& h = doc_.header;
  buf += "\\pard\\trowd\\trgaph";
  AppendInt(buf, SpacingTwips(first.borderSpacingColor));
  AppendWord(buf, "\\trleft", first.leftIndent);
  const long long left = first.leftIndent;
  // The table's width, kept so that every edge, left indent included, is a
  // number the reader takes.
  const long long width = std::clamp<long long>((long long)h.pageWidth - h.marginLeft - h.marginRight -
                                                    first.rightIndent,
                                                INT32_MIN - left, INT32_MAX - left);
  // Each edge is where the cell's running share total reaches, as the reader
  // counts it (a share total past the full width stays at the widest edge).
  // The reader measures the shares against the widest edge, so a row that
  // does not reach the full width comes back stretched to it: writing it
  // stretched already keeps a second save equal to the first.
  int reach[kMaxRowCells];
  int widest = 0;
  {
    int total = 0, cells = 0;
    for (const TParagraph* c = &first; c && c->IsTableCell() && cells < kMaxRowCells; c = c->next) {
      total += c->CellWidthShare();
      reach[cells++] = std::min(total, 255);
      widest = std::max(widest, std::min(total, 255));
      if (IsLastCellOfRow(*c)) break;
    }
  }
  int cells = 0;
  for (const TParagraph* c = &first; c && c->IsTableCell() && cells < kMaxRowCells;
       c = c->next, ++cells) {
    if (c->borderFlags & bfOn) {
      const std::string_view line = (c->borderFlags & bfDouble) ? "\\brdrdb" : "\\brdrs";
      const bool box = (c->borderFlags & bfBox) != 0;
      if (box || (c->borderFlags & bfTop)) (buf += "\\clbrdrt") += line;
      if (box || (c->borderFlags & bfBottom)) (buf += "\\clbrdrb") += line;
      if (box || (c->borderFlags & bfLeft)) (buf += "\\clbrdrl") += line;
      if (box || (c->borderFlags & bfRight)) (buf += "\\clbrdrr") += line;
      AppendWord(buf, "\\brdrw", c->borderWidth * 20);
      if (c->BorderColor()) AppendWord(buf, "\\brdrcf", c->BorderColor());
      if (c->borderStyle & bsDotted) buf += "\\brdrdot";
      if (c->borderStyle & bsHairline) buf += "\\brdrhair";
    }
    // Rounded, as the reader rounds the share it takes back from the edge:
    // a table saved again keeps its edges.
    long long share = reach[cells];
    if (widest > 0 && widest != 255) share = RoundedDiv(share * 255, widest);
    const long long edge = RoundedDiv(width * share, 255) + left;
    AppendWord(buf, "\\cellx", edge);
    if (buf.size() > kRowFlush && Flush(buf) != kWriteOk) return kWriteFailed;
    if (IsLastCellOfRow(*c)) break;
  }
  return kWriteOk;
}

int TRTFWriter::ParagraphStart(const TParagraph& p) {
  std::string& buf = scratch_;
  buf.clear();
  const bool cell = p.IsTableCell();
  const TParagraph* prev = previousParagraph_;
  const bool firstCellOfRow = cell && (!prev || !prev->IsTableCell() || IsLastCellOfRow(*prev));

  if (groups_.empty()) Push(gkBody, buf);

  // A row group would keep the reader inside the table: close it when the
  // table ends or the next row begins.
  if (!cell || firstCellOfRow) CloseThrough(gkRow, buf);

  {
    const Group& top = groups_.back();
    const bool leaveBorder =
        top.HasBorder() &&
        (!(p.borderFlags & bfOn) || (prev && (prev->borderFlags & bfEnds)) ||
         (!cell && !SameBorder(top.borderFlags, top.borderStyle, top.borderWidth,
                               top.borderSpacingColor, p)));
    if (leaveBorder || (cell && !top.table)) CloseThrough(gkBorder, buf);
  }
  while (!cell && groups_.back().tabMask != 0 && groups_.back().tabMask != p.tabMask) {
    if (!CloseThrough(gkTabs, buf)) break;
  }

  if (p.flags & pfPageBreak) buf += "\\page";

  if (cell) {
    if (firstCellOfRow) {
      Push(gkRow, buf);
      Group& g = groups_.back();
      // "\pard" resets what the reader holds for the paragraph.
      g.firstIndent = g.leftIndent = g.rightIndent = 0;
      g.alignment = 0;
      g.borderFlags = g.borderStyle = g.borderWidth = g.borderSpacingColor = 0;
      g.tabMask = 0;
      g.table = true;
      if (AppendRowDefinition(p, buf) != kWriteOk) return kWriteFailed;
    }
    buf += "\\intbl";
    const int dec = p.CellDecimalTab();
    if (dec >= 0 && dec < kTabCount && doc_.header.tabPositions[size_t(dec)] > 0) {
      buf += TabKindWord(doc_.header.tabKinds[size_t(dec)]);
      AppendWord(buf, "\\tx", doc_.header.tabPositions[size_t(dec)]);
    }
  } else {
    if ((p.borderFlags & bfOn) && !groups_.back().HasBorder()) {
      Push(gkBorder, buf);
      Group& g = groups_.back();
      g.borderFlags = p.borderFlags;
      g.borderStyle = p.borderStyle;
      g.borderWidth = p.borderWidth;
      g.borderSpacingColor = p.borderSpacingColor;
      const std::string_view line = (p.borderFlags & bfDouble) ? "\\brdrdb" : "\\brdrs";
      if (p.borderFlags & bfBox) (buf += "\\box") += line;
      if (p.borderFlags & bfTop) (buf += "\\brdrt") += line;
      if (p.borderFlags & bfBottom) (buf += "\\brdrb") += line;
      if (p.borderFlags & bfLeft) (buf += "\\brdrl") += line;
      if (p.borderFlags & bfRight) (buf += "\\brdrr") += line;
      if (p.borderStyle & bsBar) buf += "\\brdrbar";
      if (p.borderStyle & bsTableLines) buf += "\\brdrtablin";
      AppendWord(buf, "\\brdrw", p.borderWidth * 20);
      if (p.borderSpacingColor != 0) {
        AppendWord(buf, "\\brsp", SpacingTwips(p.borderSpacingColor));
        AppendWord(buf, "\\brdrcf", p.BorderColor());
      }
      if (p.borderStyle & bsDotted) buf += "\\brdrdot";
      if (p.borderStyle & bsHairline) buf += "\\brdrhair";
    }
    if (p.tabMask != groups_.back().tabMask) {
      Push(gkTabs, buf);
      groups_.back().tabMask = p.tabMask;
      for (int i = 0; i < kTabCount; ++i) {
        if (!(p.tabMask & (1u << i))) continue;
        const int32_t pos = doc_.header.tabPositions[size_t(i)];
        if (pos <= 0) continue;  // a freed entry
        buf += TabKindWord(doc_.header.tabKinds[size_t(i)]);
        AppendWord(buf, "\\tx", pos);
      }
    }
  }
  bool wroteWord = false;
  auto endsInWord = [&]() {
    return !buf.empty() && buf.back() != '{' && buf.back() != '}';
  };
  wroteWord = endsInWord();
  int rc = Flush(buf);
  if (rc != kWriteOk) return rc;

  Group& top = groups_.back();
  // A last paragraph without text takes, in the reader, the format in force
  // once the groups around it close, unless words were written for the
  // paragraph itself: restate a format that differs from the plain one.
  const bool restate = !cell && !p.next && p.firstLine && !p.firstLine->next && p.firstLine->length == 0 &&
                       (p.alignment != alLeft || p.leftIndent != 0 || p.firstIndent != 0 || p.rightIndent != 0 ||
                        p.tabMask != 0 || (p.borderFlags & bfOn));
  if (p.alignment != top.alignment || restate) {
    top.alignment = p.alignment;
    rc = Put(AlignmentWord(p.alignment));
    if (rc != kWriteOk) return rc;
    wroteWord = true;
  }
  if (!cell && (p.leftIndent != top.leftIndent || p.firstIndent != top.firstIndent ||
                p.rightIndent != top.rightIndent || restate)) {
    AppendWord(buf, "\\li", p.leftIndent);
    AppendWord(buf, "\\fi", (long long)p.firstIndent - p.leftIndent);
    AppendWord(buf, "\\ri", p.rightIndent);
    top.leftIndent = p.leftIndent;
    top.firstIndent = p.firstIndent;
    top.rightIndent = p.rightIndent;
  }
  if (cell || p.spaceBefore != spaceBefore_ || p.spaceAfter != spaceAfter_ ||
      p.lineSpacing != lineSpacing_) {
    AppendWord(buf, "\\sb", p.spaceBefore);
    buf += "\\sl";
    if (p.lineSpacing != 0) AppendInt(buf, p.lineSpacing);
    const int32_t after = cell ? p.spaceBefore : p.spaceAfter;
    AppendWord(buf, "\\sa", after);
    spaceBefore_ = p.spaceBefore;
    spaceAfter_ = after;
    lineSpacing_ = p.lineSpacing;
  }
  if (!buf.empty()) wroteWord = true;
  // Without run headers the text follows directly: a delimiter keeps its
  // first letters or digits out of the last control word.
  if (!RichMode() && wroteWord) buf += ' ';
  return Flush(buf);
}

// ---- runs ---------------------------------------------------------------------

int TRTFWriter::RunHeader(const TCharAttr& a) {
  if (!RichMode()) return kWriteOk;
  const bool rawRun = (a.marks & cmRawRtf) != 0;
  if (raw_ && rawRun) return kWriteOk;
  std::string& s = scratch_;
  s.clear();
  if (raw_) {
    s += "\\qbrtf0";
    raw_ = false;
  }
  AppendWord(s, "\\plain\\f", a.font);
  AppendWord(s, "\\fs", a.size ? a.size * 2 : 20);
  AppendWord(s, "\\cf", a.TextColor());
  if (a.BackColor()) AppendWord(s, "\\cb", a.BackColor());
  if (a.style & csBold) s += "\\b";
  if (a.style & csUnderline) s += "\\ul";
  if (a.style & csDoubleUnderline) s += "\\uldb";
  if (a.style & csSuperscript) s += "\\super";
  if (a.style & csSubscript) s += "\\sub";
  if (a.style & csItalic) s += "\\i";
  if (a.style & csStrikeOut) s += "\\strike";
  if (a.marks & cmShadow) s += "\\shad";
  lastRunHidden_ = (a.marks & cmHidden) != 0;
  if (lastRunHidden_) s += "\\v";
  if (rawRun) {
    s += "\\qbrtf1";
    raw_ = true;
  }
  if ((a.marks & cmInsertPoint) && !options_.omitInsertPoints) AppendWord(s, "\\inspnt", a.extra);
  if ((a.marks & cmAutomatic) && !options_.omitAutomaticText) s += "\\inaut";
  s += ' ';
  return Flush(s);
}

int TRTFWriter::RunText(const uint8_t* text, int len, const TCharAttr* attr) {
  const bool rawRun = attr && (attr->marks & cmRawRtf);
  std::string& s = scratch_;
  s.clear();
  int i = 0;
  while (i < len) {
    const int n = std::min(len - i, int(kTextPiece));
    AppendEscaped(s, text + i, n, rawRun);
    i += n;
    if (s.size() >= kTextPiece) {
      const int rc = Flush(s);
      if (rc != kWriteOk) return rc;
    }
  }
  return Flush(s);
}

// ---- objects and footnotes ----------------------------------------------------

namespace {
template <class Map, class Record>
void IndexFirst(Map& map, uint16_t number, const Record* r) {
  if (number != 0) map.emplace(number, r);  // keeps the first one
}
}  // namespace

void TRTFWriter::IndexRecords() {
  if (indexed_) return;
  indexed_ = true;
  for (const TFootnote* f = doc_.firstFootnote; f; f = f->next) IndexFirst(footnotes_, f->id, f);
  for (const TTextObject* o = doc_.firstObject; o; o = o->next) {
    IndexFirst(objectsByKey_, o->key, o);
    IndexFirst(objectsById_, o->id, o);
  }
}

const TFootnote* TRTFWriter::FootnoteWithId(uint16_t id) {
  IndexRecords();
  const auto it = footnotes_.find(id);
  return it == footnotes_.end() ? nullptr : it->second;
}

const TTextObject* TRTFWriter::ObjectWith(uint16_t key, uint16_t id) {
  IndexRecords();
  const auto& map = key ? objectsByKey_ : objectsById_;
  const auto it = map.find(key ? key : id);
  return it == map.end() ? nullptr : it->second;
}

int TRTFWriter::Object(uint8_t ch, const TCharAttr& a) {
  const uint16_t number = uint16_t(a.extra);
  const TTextObject* o = nullptr;
  if (ch == kObjectKeyChar && number) o = ObjectWith(number, 0);
  if (ch == kObjectIdChar && number) o = ObjectWith(0, number);
  std::string s;
  auto placeholder = [&](long long key, long long w, long long h) {
    AppendWord(s, "\\qbobjtag", key);
    AppendWord(s, "\\qbobjw", w);
    AppendWord(s, "\\qbobjh", h);
    s += " \\'01";
  };
  if (!o) {
    // An object character whose record is gone still keeps its key.
    if (ch == kObjectKeyChar && number) placeholder(number, 0, 0);
    return Flush(s);
  }
  const TPicture* pic = o->picture;
  auto sizes = [&]() {
    if (pic) {
      AppendWord(s, "\\picw", pic->pixelWidth);
      AppendWord(s, "\\pich", pic->pixelHeight);
    }
    AppendWord(s, "\\picwgoal", o->width);
    AppendWord(s, "\\pichgoal", o->height);
  };
  if (!o->fileName.empty()) {
    if (options_.linkedPicturesAsHelpRefs) {
      s += "\\{bmc ";
      AppendEscaped(s, reinterpret_cast<const uint8_t*>(o->fileName.data()),
                    int(o->fileName.size()), false);
      s += "\\}";
    } else {
      s += "{\\*\\picfile";
      sizes();
      s += " \"";
      AppendDestinationText(s, o->fileName);
      s += "\"}";
    }
  } else if (o->placeholder || !pic) {
    placeholder(o->key, o->width, o->height);
  } else if (pic->kind == pkMetafile) {
    s += "{\\pict\\wmetafile8";
    sizes();
    s += "\r\n";
    const size_t skip = std::min<size_t>(22, pic->data.size());
    AppendHexData(s, pic->data.data() + skip, pic->data.size() - skip);
    s += '}';
  } else if (pic->kind == pkBitmap) {
    // The bytes are device-dependent bits; making a device-independent
    // bitmap of them is the platform's work, so they go out as they are.
    s += "{\\pict\\wbitmap0";
    AppendWord(s, "\\wbmbitspixel", pic->bitsPerPixel);
    AppendWord(s, "\\wbmplanes", pic->planes);
    AppendWord(s, "\\wbmwidthbytes", pic->widthBytes);
    sizes();
    s += "\r\n";
    AppendHexData(s, pic->data.data(), pic->data.size());
    s += '}';
  } else {
    s += "{\\pict\\dibitmap0";
    AppendWord(s, "\\wbmbitspixel", pic->bitsPerPixel);
    AppendWord(s, "\\wbmplanes", pic->planes);
    AppendWord(s, "\\wbmwidthbytes", ((long long)pic->pixelWidth * pic->bitsPerPixel + 7) / 8);
    sizes();
    s += "\r\n";
    AppendHexData(s, pic->data.data(), pic->data.size());
    s += '}';
  }
  return Flush(s);
}

int TRTFWriter::Footnote(uint8_t ch, const TCharAttr& a) {
  const TFootnote* f = FootnoteWithId(uint16_t(a.extra));
  if (!f) {
    // No footnote behind the anchor: keep the character as text.
    TCharAttr plain = a;
    plain.marks = uint8_t(plain.marks & ~cmFootnote);
    return RunText(&ch, 1, &plain);
  }
  std::string mark;
  AppendDestinationText(mark, std::string_view(reinterpret_cast<const char*>(&f->mark), 1));
  std::string s = "{\\cs16\\super ";
  // The anchor is text: a tab or line break mark goes out as its control
  // word, since the reader drops those bytes when they come as hex.
  AppendEscaped(s, &f->mark, 1, false);
  s += "{\\*\\footnote ";
  if (f->number != 0) {
    AppendWord(s, "\\qbfnnr", f->number);
    s += ' ';
  }
  s += "\\pard\\plain \\s15\\widctlpar \\f4\\fs20\\lang1031 {\\cs16\\super";
  s += f->number != 0 ? '\t' : ' ';
  s += mark;
  s += "} ";
  if (f->rawText) {
    s += *f->rawText;
  } else {
    AppendDestinationText(s, f->text);
  }
  s += "}}";
  return Flush(s);
}

// ---- paragraph end and trailer ------------------------------------------------

// A raw RTF run left open would make the reader take the following words and
// braces as text; "\qbrtf0" ends it.
int TRTFWriter::CloseRaw() {
  if (!raw_) return kWriteOk;
  raw_ = false;
  return Put("\\qbrtf0", 7);
}

int TRTFWriter::ParagraphEnd(const TParagraph& p, bool anotherFollows) {
  int rc = CloseRaw();
  if (rc != kWriteOk) return rc;
  if (p.IsTableCell()) return Put(IsLastCellOfRow(p) ? "\\cell\\row\n\r" : "\\cell\n\r");
  if (!anotherFollows) return kWriteOk;
  if (lastRunHidden_) {
    lastRunHidden_ = false;
    return Put("\\plain\\par\n\r");
  }
  return Put("\\par\n\r");
}

int TRTFWriter::Trailer() {
  int rc = CloseRaw();
  if (rc != kWriteOk) return rc;
  std::string s(groups_.size(), '}');
  groups_.clear();
  s += "\r\n}";
  return Put(s);
}

}  // namespace quill
