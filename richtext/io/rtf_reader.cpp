#include "richtext/io/rtf_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

#include "richtext/io/picture_file.h"
#include "richtext/io/rounded_div.h"

namespace quill {

namespace {

// Destinations: where delivered characters go.
enum : uint8_t {
  dText = 0,
  dSkip = 1,
  dFontTable = 2,
  dColorTable = 3,
  dPicture = 4,
  dPictureFile = 5,
  dTitle = 6,
  dComment = 7,
  dSubject = 8,
  dFootnote = 9,
};

// Kinds of control words.
enum : uint8_t { kChar, kDest, kProp, kSpecial };

// A delivered line break; byte 10 from the input is dropped instead.
constexpr int kLineBreakCode = 256;

// Saved group states kept at most; deeper groups still count for brace
// matching but share the state of the deepest saved one.
constexpr size_t kMaxSavedGroups = 65536;

constexpr size_t kMaxCells = 50;

enum Action : uint8_t {
  aNone,
  // characters
  aLine, aTab, aDblQuote, aChar, aSymLF, aSymCR, aSymLBrace, aSymRBrace, aSymBackslash,
  // special
  aBin, aHex, aStar,
  // destinations
  aFontTbl, aColorTbl, aPict, aPicFile, aTitle, aComment, aSubject, aFootnote, aField, aSkipDest,
  // character format
  aPlain, aF, aFs, aCf, aCb, aB, aI, aUl, aStrike, aUldb, aSuper, aSub, aNoSuperSub, aV, aShad,
  aInspnt, aInaut, aQbrtf, aQbfnnr,
  // paragraph
  aPar, aPard, aQl, aQr, aQc, aQj, aLi, aRi, aFi, aSb, aSa, aSl, aPage, aTqr, aTqc, aTqdec, aTx,
  aBox, aBrdrt, aBrdrl, aBrdrb, aBrdrr, aBrdrdb, aBrdrdot, aBrdrtablin, aBrdrw, aBrsp, aBrdrcf,
  // document
  aPaperw, aPaperh, aMargl, aMargr, aMargt, aMargb, aFacingp, aLandscape, aRed, aGreen, aBlue,
  // tables
  aTrowd, aCellx, aTrgaph, aTrleft, aClbrdrt, aClbrdrl, aClbrdrb, aClbrdrr, aIntbl, aCell, aRow,
  // pictures
  aWmetafile, aDibitmap, aWbitmap, aPicw, aPich, aPicwgoal, aPichgoal, aPicscalex, aPicscaley,
  aWbmbitspixel, aWbmplanes, aWbmwidthbytes, aQbobjtag, aQbobjw, aQbobjh,
};

}  // namespace

struct TRTFReader::TWordEntry {
  const char* word;
  int32_t def;
  bool useDefault;
  uint8_t kind;
  uint8_t action;
};

namespace {

using E = TRTFReader::TWordEntry;

// Sorted by word (byte order); control symbols are one-character words.
const E kWords[] = {
    {"\n", 0, true, kChar, aSymLF},
    {"\r", 0, true, kChar, aSymCR},
    {"'", 0, true, kSpecial, aHex},
    {"*", 0, true, kSpecial, aStar},
    // The optional hyphen: nothing to show where no line breaks at it.
    {"-", 0, true, kChar, aNone},
    {"\\", 0, true, kChar, aSymBackslash},
    // Symbols of other writers become Windows-1252 characters (the entry's
    // parameter): the non-breaking hyphen here; the bullet, dashes, special
    // spaces, single quotes and the non-breaking space further down.
    {"_", '-', true, kChar, aChar},
    {"author", 0, true, kDest, aSkipDest},
    {"b", 1, false, kProp, aB},
    {"bin", 0, false, kSpecial, aBin},
    {"blue", 0, false, kProp, aBlue},
    {"box", 0, true, kProp, aBox},
    {"brdrb", 0, true, kProp, aBrdrb},
    {"brdrcf", 0, false, kProp, aBrdrcf},
    {"brdrdb", 0, true, kProp, aBrdrdb},
    {"brdrdot", 0, true, kProp, aBrdrdot},
    {"brdrl", 0, true, kProp, aBrdrl},
    {"brdrr", 0, true, kProp, aBrdrr},
    {"brdrt", 0, true, kProp, aBrdrt},
    {"brdrtablin", 0, true, kProp, aBrdrtablin},
    {"brdrw", 0, false, kProp, aBrdrw},
    {"brsp", 0, false, kProp, aBrsp},
    {"bullet", 0x95, true, kChar, aChar},
    {"buptim", 0, true, kDest, aSkipDest},
    {"cb", 0, false, kProp, aCb},
    {"cell", 0, true, kProp, aCell},
    {"cellx", 0, false, kProp, aCellx},
    {"cf", 0, false, kProp, aCf},
    {"clbrdrb", 0, true, kProp, aClbrdrb},
    {"clbrdrl", 0, true, kProp, aClbrdrl},
    {"clbrdrr", 0, true, kProp, aClbrdrr},
    {"clbrdrt", 0, true, kProp, aClbrdrt},
    {"colortbl", 0, true, kDest, aColorTbl},
    {"cols", 0, false, kProp, aNone},
    {"comment", 0, true, kDest, aComment},
    {"creatim", 0, true, kDest, aSkipDest},
    {"dibitmap", 0, true, kProp, aDibitmap},
    {"doccomm", 0, true, kDest, aSkipDest},
    {"emdash", 0x97, true, kChar, aChar},
    {"emspace", ' ', true, kChar, aChar},
    {"endash", 0x96, true, kChar, aChar},
    {"enspace", ' ', true, kChar, aChar},
    {"f", 0, false, kProp, aF},
    {"facingp", 1, false, kProp, aFacingp},
    {"fi", 0, false, kProp, aFi},
    {"field", 0, true, kDest, aField},
    {"fonttbl", 0, true, kDest, aFontTbl},
    {"footer", 0, true, kDest, aSkipDest},
    {"footerf", 0, true, kDest, aSkipDest},
    {"footerl", 0, true, kDest, aSkipDest},
    {"footerr", 0, true, kDest, aSkipDest},
    {"footnote", 0, true, kDest, aFootnote},
    {"fs", 100, false, kProp, aFs},
    {"ftncn", 0, true, kDest, aSkipDest},
    {"ftnsep", 0, true, kDest, aSkipDest},
    {"ftnsepc", 0, true, kDest, aSkipDest},
    {"green", 0, false, kProp, aGreen},
    {"header", 0, true, kDest, aSkipDest},
    {"headerf", 0, true, kDest, aSkipDest},
    {"headerl", 0, true, kDest, aSkipDest},
    {"headerr", 0, true, kDest, aSkipDest},
    {"i", 1, false, kProp, aI},
    {"inaut", 1, false, kProp, aInaut},
    {"info", 0, true, kDest, aSkipDest},
    {"inspnt", 0, false, kProp, aInspnt},
    {"intbl", 0, true, kProp, aIntbl},
    {"keywords", 0, true, kDest, aSkipDest},
    {"landscape", 1, false, kProp, aLandscape},
    {"ldblquote", 0, true, kChar, aDblQuote},
    {"li", 0, false, kProp, aLi},
    {"line", 0, true, kChar, aLine},
    {"lquote", 0x91, true, kChar, aChar},
    {"margb", 1440, false, kProp, aMargb},
    {"margl", 1800, false, kProp, aMargl},
    {"margr", 1800, false, kProp, aMargr},
    {"margt", 1440, false, kProp, aMargt},
    {"nosupersub", 0, true, kProp, aNoSuperSub},
    {"operator", 0, true, kDest, aSkipDest},
    {"page", 0, true, kProp, aPage},
    // Page break before the paragraph, as LibreOffice and Word styles write it.
    {"pagebb", 0, true, kProp, aPage},
    {"paperh", 15840, false, kProp, aPaperh},
    {"paperw", 12240, false, kProp, aPaperw},
    {"par", 0, true, kProp, aPar},
    {"pard", 0, true, kProp, aPard},
    {"pgndec", 0, true, kProp, aNone},
    {"pgnlcltr", 0, true, kProp, aNone},
    {"pgnlcrm", 0, true, kProp, aNone},
    {"pgnstart", 0, false, kProp, aNone},
    {"pgnucltr", 0, true, kProp, aNone},
    {"pgnucrm", 0, true, kProp, aNone},
    {"pgnx", 0, false, kProp, aNone},
    {"pgny", 0, false, kProp, aNone},
    {"picfile", 0, true, kDest, aPicFile},
    {"pich", 0, false, kProp, aPich},
    {"pichgoal", 0, false, kProp, aPichgoal},
    {"picscalex", 100, false, kProp, aPicscalex},
    {"picscaley", 100, false, kProp, aPicscaley},
    {"pict", 0, true, kDest, aPict},
    {"picw", 0, false, kProp, aPicw},
    {"picwgoal", 0, false, kProp, aPicwgoal},
    {"plain", 0, true, kProp, aPlain},
    {"printim", 0, true, kDest, aSkipDest},
    // "\private1" parses as the word "private" with parameter 1.
    {"private", 0, true, kDest, aSkipDest},
    {"qbfnnr", 0, false, kProp, aQbfnnr},
    {"qbobjh", 0, false, kProp, aQbobjh},
    {"qbobjtag", 0, false, kProp, aQbobjtag},
    {"qbobjw", 0, false, kProp, aQbobjw},
    {"qbrtf", 1, false, kProp, aQbrtf},
    {"qc", 0, true, kProp, aQc},
    {"qj", 0, true, kProp, aQj},
    {"ql", 0, true, kProp, aQl},
    {"qr", 0, true, kProp, aQr},
    {"rdblquote", 0, true, kChar, aDblQuote},
    {"red", 0, false, kProp, aRed},
    {"revtim", 0, true, kDest, aSkipDest},
    {"ri", 0, false, kProp, aRi},
    {"row", 0, true, kProp, aRow},
    {"rquote", 0x92, true, kChar, aChar},
    {"rxe", 0, true, kDest, aSkipDest},
    {"sa", 0, false, kProp, aSa},
    {"sb", 0, false, kProp, aSb},
    {"sbkcol", 0, true, kProp, aNone},
    {"sbkeven", 0, true, kProp, aNone},
    {"sbknone", 0, true, kProp, aNone},
    {"sbkodd", 0, true, kProp, aNone},
    {"sbkpage", 0, true, kProp, aNone},
    {"shad", 1, false, kProp, aShad},
    {"sl", 0, false, kProp, aSl},
    {"strike", 1, false, kProp, aStrike},
    {"stylesheet", 0, true, kDest, aSkipDest},
    {"sub", 1, false, kProp, aSub},
    {"subject", 0, true, kDest, aSubject},
    {"super", 1, false, kProp, aSuper},
    {"tab", 0, true, kChar, aTab},
    {"tc", 0, true, kDest, aSkipDest},
    {"title", 0, true, kDest, aTitle},
    {"tqc", 0, true, kProp, aTqc},
    {"tqdec", 0, true, kProp, aTqdec},
    {"tqr", 0, true, kProp, aTqr},
    {"trgaph", 0, false, kProp, aTrgaph},
    {"trleft", 0, false, kProp, aTrleft},
    {"trowd", 0, true, kProp, aTrowd},
    {"tx", 0, false, kProp, aTx},
    {"ul", 1, false, kProp, aUl},
    {"uldb", 1, false, kProp, aUldb},
    {"v", 1, false, kProp, aV},
    {"wbitmap", 0, true, kProp, aWbitmap},
    {"wbmbitspixel", 0, false, kProp, aWbmbitspixel},
    {"wbmplanes", 1, true, kProp, aWbmplanes},
    {"wbmwidthbytes", 0, false, kProp, aWbmwidthbytes},
    {"wmetafile", 0, true, kProp, aWmetafile},
    {"{", 0, true, kChar, aSymLBrace},
    {"}", 0, true, kChar, aSymRBrace},
    {"~", 0xA0, true, kChar, aChar},  // non-breaking space
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

int CompareWord(const char* entry, const char* w, int len) {
  for (int i = 0; i < len; ++i) {
    const unsigned char a = static_cast<unsigned char>(entry[i]);
    const unsigned char b = static_cast<unsigned char>(w[i]);
    if (a != b) return a < b ? -1 : 1;  // also ends on the entry's terminator
  }
  return entry[len] == 0 ? 0 : 1;
}

// First table index per leading byte, so that a lookup only searches the
// entries sharing the word's first letter.
struct TWordIndex {
  uint16_t start[257];
  TWordIndex() {
    size_t i = 0;
    for (int c = 0; c < 256; ++c) {
      start[c] = uint16_t(i);
      while (i < kWordCount && static_cast<unsigned char>(kWords[i].word[0]) == c) ++i;
    }
    start[256] = uint16_t(kWordCount);
  }
};
const TWordIndex kIndex;

const E* LookupWord(const char* w, int len) {
  const unsigned char c = static_cast<unsigned char>(w[0]);
  size_t lo = kIndex.start[c], hi = kIndex.start[c + 1];
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    const int r = CompareWord(kWords[mid].word, w, len);
    if (r == 0) return &kWords[mid];
    if (r < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return nullptr;
}

inline int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
uint8_t ClampByte(int64_t v) { return uint8_t(std::clamp<int64_t>(v, 0, 255)); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string_view> RtfReaderKnownWords() {
  std::vector<std::string_view> v;
  v.reserve(kWordCount);
  for (const auto& e : kWords) v.emplace_back(e.word);
  return v;
}

TRTFReader::TRTFReader(TTextHeader* header, TRTFText* document) : TTextReader(header, document) {
  stack_.reserve(16);
  cells_.reserve(kMaxCells);
}

TRTFReader::~TRTFReader() = default;

void TRTFReader::ReadBody() {
  st_ = TGroupState();
  for (;;) {
    if (stop_) break;
    if (rawMode_) {
      ReadRaw();
      continue;
    }
    int c = NextByte();
    if (c < 0) break;
    switch (c) {
      case 0:
        stop_ = true;
        break;
      case 9:
      case 10:
      case 13:
        break;
      case '{':
        OpenGroup();
        break;
      case '}':
        if (!CloseGroup()) stop_ = true;
        break;
      case '\\': {
        c = NextByte();
        if (c < 0) {
          stop_ = true;
          break;
        }
        if (c >= 'a' && c <= 'z') {
          char w[32];
          int n = 0;
          while (c >= 'a' && c <= 'z') {
            w[n < 30 ? n : 29] = char(c);
            ++n;
            c = NextByte();
          }
          const int len = n < 30 ? n : 30;
          bool negative = false;
          int nd = 0;
          // A number beyond 32 bits is odd, not an error: it counts as the
          // nearest 32-bit one and reading goes on.
          int64_t value = 0;
          if (c == '-') {
            negative = true;
            c = NextByte();
          }
          while (c >= '0' && c <= '9') {
            if (value <= INT32_MAX) value = value * 10 + (c - '0');
            ++nd;
            c = NextByte();
          }
          if (c < 0 && negative && nd == 0) {
            stop_ = true;  // the input ended inside the word
            break;
          }
          // A minus sign without digits leaves the word without a parameter.
          const bool hasParam = nd > 0;
          const int32_t param = Clamp32(negative ? -value : value);
          if (c >= 0 && c != ' ') Unget();
          HandleWord(w, len, hasParam, param);
        } else {
          HandleSymbol(uint8_t(c));
        }
        break;
      }
      default:
        if (c >= 32 && st_.dest == dText && !objPending_) {
          // Plain characters in a row go straight into the line.
          const uint8_t* start = cur_ - 1;
          const uint8_t* q = cur_;
          while (q < end_ && *q >= 32 && *q != '\\' && *q != '{' && *q != '}') ++q;
          cur_ = q;
          AppendRun(start, int(q - start));
        } else {
          Deliver(c);
        }
        break;
    }
  }
}

void TRTFReader::OpenGroup() {
  started_ = true;
  ++depth_;
  if (stack_.size() >= kMaxSavedGroups) {
    ++phantomDepth_;
    return;
  }
  TGroupState saved = st_;
  saved.attr = attr_;
  stack_.push_back(saved);
}

bool TRTFReader::CloseGroup() {
  if (objPending_) FlushPendingObject();
  const bool owner = phantomDepth_ == 0 && (stack_.empty() || stack_.back().dest != st_.dest);
  if (st_.dest == dPicture && owner) EndPicture();
  if (st_.dest == dPictureFile && owner) EndLinkedPicture();
  --depth_;
  if (phantomDepth_ > 0) {
    --phantomDepth_;
  } else if (!stack_.empty()) {
    TGroupState& saved = stack_.back();
    const bool started = curPar_->firstLine->length > 0 || curPar_->firstLine->next;
    if (!(saved.par.borderFlags & bfOn)) {
      if (started && (curPar_->borderFlags & bfOn)) curPar_->borderFlags |= bfEnds;
      // A border group closing right after a paragraph mark ends the border
      // with the paragraph it closed.
      if (!started && (st_.par.borderFlags & bfOn) && curPar_ != firstPar_ && curPar_->prev &&
          (curPar_->prev->borderFlags & bfOn))
        curPar_->prev->borderFlags |= bfEnds;
    }
    if (stack_.size() <= font0Below_) {
      saved.attr.font = font0_;
      font0Below_ = stack_.size() - 1;
    }
    st_ = saved;
    attr_ = saved.attr;
    stack_.pop_back();
    // A paragraph without text yet takes the format in force after the
    // group, so that a block's format does not leak into the paragraph that
    // follows it when no paragraph mark comes after.
    // Words written for the paragraph itself keep their effect.
    if (!started && !parTouched_) ApplyParState(curPar_, !curPar_->IsTableCell());
  }
  if (depth_ < 0) return false;
  if (depth_ == 0 && started_) return false;
  return true;
}

void TRTFReader::HandleSymbol(uint8_t ch) {
  const char w[1] = {char(ch)};
  const E* e = LookupWord(w, 1);
  if (!e) {
    if (ignorable_) {
      st_.dest = dSkip;
      ignorable_ = false;
    }
    return;
  }
  if (e->action == aStar) {
    ignorable_ = true;
    return;
  }
  ignorable_ = false;
  switch (e->action) {
    case aHex: {
      // An escape without its two digits is dropped; what stands in their
      // place is read as input again.
      int c = NextByte();
      const int h = HexValue(c);
      if (h >= 0) {
        c = NextByte();
        const int l = HexValue(c);
        if (l >= 0) {
          Deliver(h * 16 + l);
          return;
        }
      }
      if (c >= 0) Unget();
      return;
    }
    case aSymLF:
    case aSymCR:
      Deliver(10);
      return;
    case aChar:
      Deliver(e->def);
      return;
    case aSymLBrace:
      Deliver('{');
      return;
    case aSymRBrace:
      Deliver('}');
      return;
    case aSymBackslash:
      Deliver('\\');
      return;
    default:
      return;
  }
}

void TRTFReader::Deliver(int ch) {
  switch (st_.dest) {
    case dText:
      DeliverText(ch);
      return;
    case dSkip:
      return;
    case dFontTable:
      if (ch == ';') {
        if (fontNumber_ >= 0 && fontNumber_ < kFontCount) {
          // A font without a name falls back to the default font; an empty
          // name would claim a free entry that the next font takes over.
          // Cut to what the table holds before trimming, so that a cut never
          // leaves a blank at the end that the next reading would drop.
          const std::string_view name = Trim(Trim(fontName_).substr(0, size_t(kFontNameMax)));
          const int idx = name.empty() ? 0 : header_->InternFont(name);
          fontMap_[size_t(fontNumber_)] = uint8_t(idx);
          if (fontNumber_ == 0) {
            // Text without a font word uses font 0, in every enclosing group:
            // the saved states open now take it when they are restored, so
            // that many definitions deep inside groups cost no walk each.
            attr_.font = uint8_t(idx);
            font0_ = uint8_t(idx);
            font0Below_ = stack_.size();
          }
        }
        fontNumber_ = -1;
        fontName_.clear();
      } else if (ch >= 32 && ch < 256 && fontName_.size() < 255) {
        fontName_ += char(ch);
      }
      return;
    case dColorTable:
      if (ch == ';') {
        ++colorIndex_;
        if (colorIndex_ < 15) header_->colorTable[size_t(colorIndex_)] = 0;
      }
      return;
    case dPicture: {
      const int v = ch < 256 ? HexValue(ch) : -1;
      if (v < 0) return;
      if (picNibble_ < 0) {
        picNibble_ = v;
        return;
      }
      AddPictureByte(uint8_t(picNibble_ * 16 + v));
      picNibble_ = -1;
      return;
    }
    case dPictureFile:
      if (ch == '"') {
        quoteOpen_ = !quoteOpen_;
      } else if (quoteOpen_ && ch >= 32 && ch < 256 && linkName_.size() < 255) {
        linkName_ += char(ch);
      }
      return;
    case dTitle:
    case dComment:
    case dSubject: {
      if (ch == kLineBreakCode) ch = ' ';
      if (ch < 32 && ch != 9) return;
      std::string& s = st_.dest == dTitle ? header_->title : st_.dest == dComment ? header_->comment : header_->subject;
      s += char(ch);
      return;
    }
    case dFootnote:
      if (!footnote_) return;
      if (ch == kLineBreakCode) ch = ' ';
      if (ch < 32 && ch != 9) return;
      if (footnote_->text.empty() && (ch == ' ' || ch == footnote_->mark)) return;
      footnote_->text += char(ch);
      return;
    default:
      return;
  }
}

void TRTFReader::AddPictureByte(uint8_t b) {
  picBuffer_[picBufferLen_++] = b;
  if (picBufferLen_ == int(sizeof picBuffer_)) {
    picData_.insert(picData_.end(), picBuffer_, picBuffer_ + picBufferLen_);
    picBufferLen_ = 0;
  }
}

// The n bytes after "\binN" are binary data of the current destination,
// whatever they look like: a picture's bytes, or skipped anywhere else.
void TRTFReader::ReadBinary(int32_t n) {
  if (n <= 0) return;
  const bool picture = st_.dest == dPicture;
  if (picture) picNibble_ = -1;
  while (n > 0) {
    if (cur_ == end_) {
      const int c = NextByte();  // refills the buffer
      if (c < 0) return;
      Unget();
    }
    const int take = int(std::min<int64_t>(n, end_ - cur_));
    if (picture)
      for (int i = 0; i < take; ++i) AddPictureByte(cur_[i]);
    cur_ += take;
    n -= take;
  }
}

void TRTFReader::DeliverText(int ch) {
  if (objPending_) {
    FlushPendingObject();
    if (ch == kObjectKeyChar) return;  // the object's own character
  }
  if (ch == kLineBreakCode) {
    AppendToLine(kLineBreakChar);
    return;
  }
  // 10 and 13 are dropped; 0..3 never stand as text (1 and 2 only as objects).
  if (ch == 10 || ch == 13 || ch <= 3) return;
  AppendToLine(uint8_t(ch));
}

void TRTFReader::FlushPendingObject() {
  objPending_ = false;
  const int key = (objKey_ > 0 && objKey_ <= 65535) ? objKey_ : -1;
  auto callback = std::move(doc_->onObjectRequest);
  doc_->onObjectRequest = nullptr;
  TTextObject* o = nullptr;
  try {
    o = doc_->AddObject(nullptr, key);
  } catch (...) {
    doc_->onObjectRequest = std::move(callback);
    throw;
  }
  doc_->onObjectRequest = std::move(callback);
  if (!o) return;  // every object id is taken: the object cannot be named
  o->placeholder = true;
  o->width = objW_;
  o->height = objH_;
  TCharAttr saved = attr_;
  attr_.marks |= cmObject;
  attr_.extra = int16_t(o->key);
  AppendToLine(kObjectKeyChar);
  attr_ = saved;
  if (doc_->onObjectRequest) doc_->onObjectRequest(o->key);
}

void TRTFReader::EndPicture() {
  if (picBufferLen_ > 0) {
    picData_.insert(picData_.end(), picBuffer_, picBuffer_ + picBufferLen_);
    picBufferLen_ = 0;
  }
  auto pic = std::make_unique<TPicture>();
  pic->kind = picKind_;
  if (picKind_ == pkMetafile) pic->data.assign(22, 0);  // room for the metafile header
  pic->data.insert(pic->data.end(), picData_.begin(), picData_.end());
  picData_.clear();
  picData_.shrink_to_fit();
  pic->pixelWidth = picw_;
  pic->pixelHeight = pich_;
  pic->bitsPerPixel = bitsPerPixel_;
  pic->planes = 1;
  pic->widthBytes = widthBytes_;
  // Size in twips: the goal size, else picw/pich (hundredths of a millimetre
  // for metafiles, pixels at 96 per inch for bitmaps).
  int64_t w = picwgoal_ > 0 ? picwgoal_ : (picKind_ == pkMetafile ? int64_t(picw_) * 1440 / 2540 : int64_t(picw_) * 15);
  int64_t h = pichgoal_ > 0 ? pichgoal_ : (picKind_ == pkMetafile ? int64_t(pich_) * 1440 / 2540 : int64_t(pich_) * 15);
  // Within 32 bits before scaling, so that the product stays within 64.
  w = int64_t(Clamp32(w)) * picscalex_ / 100;
  h = int64_t(Clamp32(h)) * picscaley_ / 100;
  TTextObject* o = doc_->AddObject(std::move(pic), -1);
  if (!o) return;  // every object id is taken: the object cannot be named
  o->width = Clamp32(w);
  o->height = Clamp32(h);
  TCharAttr saved = attr_;
  attr_.marks |= cmObject;
  attr_.extra = int16_t(o->key);
  AppendToLine(kObjectKeyChar);
  attr_ = saved;
}

void TRTFReader::EndLinkedPicture() {
  std::string name = linkName_;
  linkName_.clear();
  quoteOpen_ = false;
  if (name.empty()) return;
  TTextObject* o = doc_->FindObjectByFileName(name);
  if (!o) {
    std::unique_ptr<TPicture> pic;
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) {
      pic = ReadPictureFile(name);
    } else if (!pictureFolder.empty()) {
      const auto alt = std::filesystem::path(pictureFolder) / std::filesystem::path(name).filename();
      pic = ReadPictureFile(alt.string());
    }
    const bool hasPicture = pic != nullptr;
    auto callback = std::move(doc_->onObjectRequest);
    doc_->onObjectRequest = nullptr;
    try {
      o = doc_->AddObject(std::move(pic), -1);
    } catch (...) {
      doc_->onObjectRequest = std::move(callback);
      throw;
    }
    doc_->onObjectRequest = std::move(callback);
    if (!o) return;  // every object id is taken: the object cannot be named
    o->fileName = name;
    o->width = picwgoal_ > 0 ? picwgoal_ : Clamp32(int64_t(picw_) * 15);
    o->height = pichgoal_ > 0 ? pichgoal_ : Clamp32(int64_t(pich_) * 15);
    if (!hasPicture && doc_->onObjectRequest) doc_->onObjectRequest(o->key);
  }
  TCharAttr saved = attr_;
  attr_.marks |= cmObject;
  attr_.extra = int16_t(o->key);
  AppendToLine(kObjectKeyChar);
  attr_ = saved;
}

void TRTFReader::ReadRaw() {
  static constexpr char kTerm[] = "\\qbrtf0";
  int matched = 0;
  auto give = [this](int c) {
    if (c > 3) AppendToLine(uint8_t(c));
  };
  for (;;) {
    const int c = NextByte();
    if (c <= 0) {
      for (int i = 0; i < matched; ++i) give(kTerm[i]);
      stop_ = true;
      return;
    }
    if (c == 9 || c == 10 || c == 13) continue;
    if (c == kTerm[matched]) {
      if (++matched == 7) {
        rawMode_ = false;
        attr_.marks &= uint8_t(~cmRawRtf);
        // Like any control word, the terminator takes one space with it.
        const int d = NextByte();
        if (d >= 0 && d != ' ') Unget();
        return;
      }
      continue;
    }
    for (int i = 0; i < matched; ++i) give(kTerm[i]);
    matched = 0;
    if (c == '\\') {
      matched = 1;
      continue;
    }
    give(c);
  }
}

void TRTFReader::ApplyParState(TParagraph* p, bool withTabs) {
  p->alignment = st_.par.alignment;
  p->firstIndent = st_.par.firstIndent;
  p->leftIndent = st_.par.leftIndent;
  p->rightIndent = st_.par.rightIndent;
  if (withTabs) p->tabMask = st_.par.tabMask;
  p->borderFlags = st_.par.borderFlags;
  p->borderStyle = st_.par.borderStyle;
  p->borderWidth = st_.par.borderWidth;
  p->borderSpacingColor = st_.par.borderSpacingColor;
}

void TRTFReader::FinishParagraph(bool cell) {
  if (objPending_) FlushPendingObject();
  TParagraph* done = curPar_;
  ApplyParState(done, !cell && !done->IsTableCell());
  TParagraph* next = EndParagraph();
  next->flags = 0;
  ApplyParState(next, !cell);
  if (cell) next->tabMask = 0;
  st_.parStarted = false;
  parTouched_ = false;
}

void TRTFReader::CellEnd() {
  if (objPending_) FlushPendingObject();
  TParagraph* p = curPar_;
  int share = 10;
  if (size_t(cellNumber_) < cells_.size() && widestEdge_ > 0) {
    const int64_t edge = cells_[size_t(cellNumber_)].rightEdge;
    // Rounded, as the writer rounds the edge it makes of the share: a table
    // saved again keeps its edges.
    share = int(std::clamp<int64_t>(RoundedDiv(255 * edge, widestEdge_) - shareTotal_, 1, 255));
  }
  const int start = std::min(shareTotal_, 255);
  // A cell's decimal tab stop comes from the tab words in that cell: each
  // cell states its own, so one does not pass on to the cells after it.
  int decimal = 0;
  for (int i = 0; i < 15 && st_.parStarted; ++i)
    if ((st_.par.tabMask & (1u << i)) && header_->tabKinds[size_t(i)] == tkDecimal) {
      decimal = i + 1;
      break;
    }
  FinishParagraph(true);
  p->flags |= pfTableCell | pfRowContinues;
  if (size_t(cellNumber_) < cells_.size() && cells_[size_t(cellNumber_)].sides) {
    p->borderFlags |= bfOn | cells_[size_t(cellNumber_)].sides;
  }
  p->tabMask = uint32_t(start) | (uint32_t(share) << 8) | (uint32_t(decimal) << 24);
  shareTotal_ += share;
  ++cellNumber_;
  lastCell_ = p;
}

void TRTFReader::RowEnd() {
  if (lastCell_) {
    lastCell_->flags |= pfLastCell;
    lastCell_->flags &= uint8_t(~pfRowContinues);
  }
  lastCell_ = nullptr;
  shareTotal_ = 0;
  cellNumber_ = 0;
}

void TRTFReader::StartFootnote() {
  footnote_ = doc_->AddFootnote('#', 1, std::string());
  if (!footnote_) {
    // Every footnote id is taken: the anchor stays plain text and the
    // footnote's group is passed over.
    st_.dest = dSkip;
    return;
  }
  st_.dest = dFootnote;
  // An object character stays an object: its extra names the object.
  if (lastLine_ && lastIndex_ >= 0 && lastIndex_ < lastLine_->length &&
      !(lastLine_->attribs && (lastLine_->attribs[lastIndex_].marks & cmObject))) {
    footnote_->mark = lastLine_->text[lastIndex_];
    if (lastLine_->attribs) {
      TCharAttr& a = lastLine_->attribs[lastIndex_];
      a.marks |= cmFootnote;
      a.extra = int16_t(footnote_->id);
      a.style &= uint8_t(~csSuperscript);
    }
    lastLine_ = nullptr;
    lastIndex_ = -1;
  } else {
    footnote_->mark = '?';
  }
}

void TRTFReader::HandleWord(const char* word, int len, bool hasParam, int32_t param) {
  const E* e = LookupWord(word, len);
  if (!e) {
    if (ignorable_) {
      st_.dest = dSkip;
      ignorable_ = false;
    }
    return;
  }
  ignorable_ = false;
  if (!hasParam || e->useDefault) param = e->def;
  if (st_.dest == dSkip && (e->kind == kProp || e->kind == kDest)) return;
  // A footnote's text is one string: its own paragraph and table words
  // (other writers put \pard and \par in every footnote) must not end or
  // reformat the paragraph the footnote is anchored in. Its paragraphs are
  // kept apart by a space.
  if (st_.dest == dFootnote &&
      ((e->action >= aPar && e->action <= aBrdrcf) || (e->action >= aTrowd && e->action <= aRow))) {
    if (e->action == aPar) Deliver(' ');
    return;
  }
  const bool on = param != 0;
  if ((e->action >= aPard && e->action <= aBrdrcf) || e->action == aTrleft) parTouched_ = true;
  TParState& ps = st_.par;
  TParagraph* cp = curPar_;
  auto setBorder = [&](uint8_t flags, bool spacing) {
    ps.borderFlags |= flags;
    cp->borderFlags |= flags;
    if (spacing && (ps.borderSpacingColor >> 4) == 0) ps.borderSpacingColor |= 0x10;
    if (spacing && (cp->borderSpacingColor >> 4) == 0) cp->borderSpacingColor |= 0x10;
  };
  auto setStyle = [&](uint8_t bit, bool value) {
    if (value)
      attr_.style |= bit;
    else
      attr_.style &= uint8_t(~bit);
  };
  auto setMark = [&](uint8_t bit, bool value) {
    if (value)
      attr_.marks |= bit;
    else
      attr_.marks &= uint8_t(~bit);
  };
  switch (e->action) {
    case aBin:
      ReadBinary(param);
      return;
    case aNone:
    case aField:
    case aTrgaph:
      return;
    case aLine:
      Deliver(kLineBreakCode);
      return;
    case aTab:
      Deliver(9);
      return;
    case aDblQuote:
      Deliver('"');
      return;
    case aChar:
      Deliver(e->def);
      return;

    case aFontTbl:
      st_.dest = dFontTable;
      fontNumber_ = -1;
      fontName_.clear();
      return;
    case aColorTbl:
      st_.dest = dColorTable;
      colorIndex_ = 0;
      return;
    case aPict:
      st_.dest = dPicture;
      picData_.clear();
      picBufferLen_ = 0;
      picNibble_ = -1;
      picKind_ = pkMetafile;
      picw_ = pich_ = picwgoal_ = pichgoal_ = 0;
      picscalex_ = picscaley_ = 100;
      bitsPerPixel_ = widthBytes_ = 0;
      return;
    case aPicFile:
      st_.dest = dPictureFile;
      linkName_.clear();
      quoteOpen_ = false;
      picw_ = pich_ = picwgoal_ = pichgoal_ = 0;
      return;
    case aTitle:
      st_.dest = header_->title.empty() ? dTitle : dSkip;
      return;
    case aComment:
      st_.dest = header_->comment.empty() ? dComment : dSkip;
      return;
    case aSubject:
      st_.dest = header_->subject.empty() ? dSubject : dSkip;
      return;
    case aFootnote:
      StartFootnote();
      return;
    case aSkipDest:
      st_.dest = dSkip;
      return;

    case aPlain:
      attr_ = TCharAttr();
      return;
    case aF:
      if (st_.dest == dFontTable) {
        fontNumber_ = param;
        fontName_.clear();
      } else if (param >= 0 && param < kFontCount) {
        attr_.font = fontMap_[size_t(param)];
      }
      return;
    case aFs: {
      const int size = param / 2;
      attr_.size = size <= 0 ? 10 : uint8_t(std::min(size, 255));
      return;
    }
    case aCf:
      if (param >= 0 && param <= 15) attr_.SetTextColor(uint8_t(param));
      return;
    case aCb:
      if (param >= 0 && param <= 15) attr_.SetBackColor(uint8_t(param));
      return;
    case aB:
      setStyle(csBold, on);
      return;
    case aI:
      setStyle(csItalic, on);
      return;
    case aUl:
      setStyle(csUnderline, on);
      return;
    case aStrike:
      setStyle(csStrikeOut, on);
      return;
    case aUldb:
      setStyle(csDoubleUnderline, on);
      return;
    case aSuper:
      if (st_.dest == dText) setStyle(csSuperscript, on);
      return;
    case aSub:
      setStyle(csSubscript, on);
      return;
    case aNoSuperSub:
      attr_.style &= uint8_t(~(csSuperscript | csSubscript));
      return;
    case aV:
      setMark(cmHidden, on);
      return;
    case aShad:
      setMark(cmShadow, on);
      return;
    case aInspnt:
      if (on) {
        attr_.marks = uint8_t((attr_.marks | cmInsertPoint) & ~cmAutomatic);
        attr_.extra = int16_t(param);
      } else {
        attr_.marks &= uint8_t(~cmInsertPoint);
        attr_.extra = 0;
      }
      return;
    case aInaut:
      if (on)
        attr_.marks = uint8_t((attr_.marks | cmAutomatic) & ~cmInsertPoint);
      else
        attr_.marks &= uint8_t(~cmAutomatic);
      return;
    case aQbrtf:
      if (on) {
        attr_.marks |= cmRawRtf;
        rawMode_ = true;
      } else {
        attr_.marks &= uint8_t(~cmRawRtf);
      }
      return;
    case aQbfnnr:
      // A number of 0 names none: the footnote keeps the number it has
      // without the word, as a footnote written without a number reads.
      if (footnote_ && param != 0) footnote_->number = param;
      return;

    case aPar:
      if (st_.inTable)
        Deliver(kLineBreakCode);
      else
        FinishParagraph(false);
      return;
    case aPard:
      cp->firstIndent = cp->leftIndent = cp->rightIndent = 0;
      ps = TParState();
      // A first-line indent of an earlier paragraph must not reach this one
      // through a later left indent ("\li1440\fi-720 ...\par\pard\li288").
      pendingFirstSet_ = false;
      st_.inTable = false;
      if (cp->prev && (cp->prev->borderFlags & bfOn)) cp->prev->borderFlags |= bfEnds;
      return;
    case aQl:
    case aQr:
    case aQc:
    case aQj: {
      const uint8_t al = e->action == aQl ? alLeft : e->action == aQr ? alRight : e->action == aQc ? alCenter : alJustify;
      ps.alignment = cp->alignment = al;
      return;
    }
    case aLi:
      if (st_.inTable) return;
      ps.leftIndent = cp->leftIndent = std::max(param, 0);
      if (pendingFirstSet_) {
        ps.firstIndent = cp->firstIndent = pendingFirst_;
        pendingFirstSet_ = false;
      }
      return;
    case aRi:
      if (st_.inTable) return;
      ps.rightIndent = cp->rightIndent = param;
      return;
    case aFi:
      if (st_.inTable) return;
      ps.firstIndent = cp->firstIndent = param;
      pendingFirst_ = param;
      pendingFirstSet_ = true;
      return;
    case aSb:
      cp->spaceBefore = std::max(param, 0);
      return;
    case aSa:
      cp->spaceAfter = std::max(param, 0);
      return;
    case aSl:
      cp->lineSpacing = std::max(param, 0);
      return;
    case aPage:
      cp->flags |= pfPageBreak;
      return;
    case aTqr:
      pendingTabKind_ = tkRight;
      return;
    case aTqc:
      pendingTabKind_ = tkCenter;
      return;
    case aTqdec:
      pendingTabKind_ = tkDecimal;
      return;
    case aTx: {
      if (!st_.parStarted) {
        ps.tabMask = 0;
        if (!cp->IsTableCell()) cp->tabMask = 0;
        st_.parStarted = true;
      }
      const uint32_t bit = header_->FindOrAddTab(param, pendingTabKind_);
      ps.tabMask |= bit;
      if (!cp->IsTableCell()) cp->tabMask |= bit;
      pendingTabKind_ = tkLeft;
      return;
    }
    case aBox:
      setBorder(bfOn | bfBox, true);
      return;
    case aBrdrt:
      setBorder(bfOn | bfTop, false);
      return;
    case aBrdrl:
      setBorder(bfOn | bfLeft, true);
      return;
    case aBrdrb:
      setBorder(bfOn | bfBottom, false);
      return;
    case aBrdrr:
      setBorder(bfOn | bfRight, true);
      return;
    case aBrdrdb:
      if (cellBorder_) return;
      setBorder(bfOn | bfDouble, false);
      return;
    case aBrdrdot:
      if (cellBorder_) return;
      setBorder(bfOn, false);
      ps.borderStyle |= bsDotted;
      cp->borderStyle |= bsDotted;
      return;
    case aBrdrtablin:
      if (cellBorder_) return;
      setBorder(bfOn, false);
      ps.borderStyle |= bsTableLines;
      cp->borderStyle |= bsTableLines;
      return;
    case aBrdrw:
      if (cellBorder_) return;
      ps.borderWidth = cp->borderWidth = ClampByte(param / 20);
      return;
    case aBrsp: {
      if (cellBorder_) return;
      const uint8_t sp = uint8_t(std::clamp(param / 56, 0, 15));
      ps.borderSpacingColor = uint8_t((ps.borderSpacingColor & 0x0F) | (sp << 4));
      cp->borderSpacingColor = uint8_t((cp->borderSpacingColor & 0x0F) | (sp << 4));
      return;
    }
    case aBrdrcf:
      if (cellBorder_) return;
      ps.borderSpacingColor = uint8_t((ps.borderSpacingColor & 0xF0) | (param & 15));
      cp->borderSpacingColor = uint8_t((cp->borderSpacingColor & 0xF0) | (param & 15));
      return;

    case aPaperw:
      header_->pageWidth = param;
      return;
    case aPaperh:
      header_->pageHeight = param;
      return;
    case aMargl:
      header_->marginLeft = param;
      return;
    case aMargr:
      header_->marginRight = param;
      return;
    case aMargt:
      header_->marginTop = param;
      return;
    case aMargb:
      header_->marginBottom = param;
      return;
    case aFacingp:
      header_->facingPages = on;
      return;
    case aLandscape:
      header_->landscape = on;
      return;
    case aRed:
    case aGreen:
    case aBlue: {
      if (st_.dest != dColorTable || colorIndex_ < 0 || colorIndex_ > 14) return;
      uint32_t& c = header_->colorTable[size_t(colorIndex_)];
      const uint32_t v = ClampByte(param);
      const int shift = e->action == aRed ? 0 : e->action == aGreen ? 8 : 16;
      c = (c & ~(0xFFu << shift)) | (v << shift);
      return;
    }

    case aTrowd:
      cells_.clear();
      widestEdge_ = 0;
      shareTotal_ = 0;
      cellNumber_ = 0;
      pendingSides_ = 0;
      cellBorder_ = false;
      st_.inTable = true;
      return;
    case aCellx:
      if (cells_.size() < kMaxCells) {
        TCellDef d;
        d.rightEdge = Clamp32(int64_t(param) - ps.leftIndent);
        d.sides = pendingSides_;
        cells_.push_back(d);
        widestEdge_ = std::max(widestEdge_, d.rightEdge);
      }
      pendingSides_ = 0;
      cellBorder_ = false;
      return;
    case aTrleft:
      ps.leftIndent = cp->leftIndent = param;
      return;
    case aClbrdrt:
      pendingSides_ |= bfTop;
      cellBorder_ = true;
      return;
    case aClbrdrl:
      pendingSides_ |= bfLeft;
      cellBorder_ = true;
      return;
    case aClbrdrb:
      pendingSides_ |= bfBottom;
      cellBorder_ = true;
      return;
    case aClbrdrr:
      pendingSides_ |= bfRight;
      cellBorder_ = true;
      return;
    case aIntbl:
      st_.inTable = true;
      cp->spaceBefore = 40;
      return;
    case aCell:
      CellEnd();
      return;
    case aRow:
      RowEnd();
      return;

    case aWmetafile:
      picKind_ = pkMetafile;
      return;
    case aDibitmap:
      picKind_ = pkDib;
      return;
    case aWbitmap:
      picKind_ = pkBitmap;
      return;
    case aPicw:
      picw_ = param;
      return;
    case aPich:
      pich_ = param;
      return;
    case aPicwgoal:
      picwgoal_ = param;
      return;
    case aPichgoal:
      pichgoal_ = param;
      return;
    case aPicscalex:
      picscalex_ = param;
      return;
    case aPicscaley:
      picscaley_ = param;
      return;
    case aWbmbitspixel:
      bitsPerPixel_ = param;
      return;
    case aWbmplanes:
      return;
    case aWbmwidthbytes:
      widthBytes_ = param;
      return;
    case aQbobjtag:
      if (objPending_) FlushPendingObject();
      objPending_ = true;
      objKey_ = param;
      objW_ = objH_ = 0;
      return;
    case aQbobjw:
      objW_ = param;
      return;
    case aQbobjh:
      objH_ = param;
      return;
    default:
      return;
  }
}

void TRTFReader::PostProcess() {
  try {
    if (objPending_) FlushPendingObject();
  } catch (...) {
    // Keep post-processing what was read.
  }
  if (curPar_) ShrinkLines(doc_, curPar_);
  for (TParagraph* p = firstPar_; p; p = p->next) {
    p->MarkForLayout();
    p->firstIndent = header_->SnapToGrid(Clamp32(int64_t(p->firstIndent) + p->leftIndent));
    p->leftIndent = header_->SnapToGrid(p->leftIndent);
  }
}

}  // namespace quill
