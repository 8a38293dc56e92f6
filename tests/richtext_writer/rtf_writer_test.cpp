// Byte-exact output of the RTF writer for small documents, short writes and
// the save layer's format choice.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "richtext/io/rtf_writer.h"
#include "richtext/io/text_save.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::DocBuilder;

const std::string kColors =
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green128\\blue0;"
    "\\red0\\green0\\blue255;\\red255\\green255\\blue0;\\red255\\green0\\blue255;"
    "\\red128\\green0\\blue128;\\red128\\green0\\blue0;\\red0\\green255\\blue0;"
    "\\red0\\green255\\blue255;\\red0\\green128\\blue128;\\red0\\green0\\blue128;"
    "\\red255\\green255\\blue255;\\red192\\green192\\blue192;\\red128\\green128\\blue128;"
    "\\red0\\green0\\blue0;}";
const std::string kPage = "\\paperw12240\\paperh15840\\margl1880\\margr1880\\margt1440\\margb1440";
const std::string kHeader = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil\\charset0 Arial;}}" +
                            kColors + kPage;
const std::string kRun = "\\plain\\f0\\fs20\\cf0 ";

std::string Rtf(const TRTFText& doc, TWriteOptions options = {}) {
  TStringWriteStream out;
  TRTFWriter w(doc, out, options);
  EXPECT_EQ(w.Write(), kWriteOk);
  return out.bytes;
}

// The body between the header and the trailer.
std::string Body(const TRTFText& doc, TWriteOptions options = {}) {
  std::string s = Rtf(doc, options);
  EXPECT_EQ(s.rfind(kHeader, 0), 0u) << s;
  if (s.size() < kHeader.size() + 3) return s;
  EXPECT_EQ(s.substr(s.size() - 3), "\r\n}");
  return s.substr(kHeader.size(), s.size() - kHeader.size() - 3);
}

// Accepts only the first `limit` bytes.
class ShortStream : public TWriteStream {
 public:
  explicit ShortStream(size_t limit) : limit_(limit) {}
  size_t Write(const void* data, size_t n) override {
    const size_t take = std::min(n, limit_ - bytes.size());
    bytes.append(static_cast<const char*>(data), take);
    return take;
  }
  std::string bytes;

 private:
  size_t limit_;
};

TEST(RtfWriter, DiaryExampleIsWrittenByteForByte) {
  DocBuilder b;
  b.Text("Dear diary").Par().Text("Rain.");
  EXPECT_EQ(Rtf(b.doc), kHeader + "{" + kRun + "Dear diary\\par\n\r" + kRun + "Rain.}\r\n}");
}

TEST(RtfWriter, EmptyDocumentToRtfFileIsHeaderAndTrailer) {
  DocBuilder b;
  const auto dir = std::filesystem::temp_directory_path() / "quill_rtfw_empty";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Eraseme.Rtf").string();
  ASSERT_EQ(SaveToFile(b.doc, path), kWriteOk);
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), kHeader + "{}\r\n}");
  std::filesystem::remove_all(dir);
}

TEST(RtfWriter, RunTextEscapes) {
  struct Case {
    std::string text;
    std::string written;
  } cases[] = {
      {"a{b}", "a\\{b\\}"},
      {"back\\slash", "back\\\\slash"},
      {"caf\xe9", "caf\\'e9"},
      {"one\ntwo", "one\\line two"},
      {"a\tb", "a\\tab b"},
      {std::string("x\x01y\x03z", 5), "xyz"},
      {"\x80\xff\x1f~ ", "\\'80\\'ff\\'1f~ "},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    b.Text(c.text);
    EXPECT_EQ(Body(b.doc), "{" + kRun + c.written + "}") << c.text;
  }
}

TEST(RtfWriter, RunHeaderWordsInTheirOrder) {
  DocBuilder b;
  b.doc.header.InternFont("Times New Roman");
  TCharAttr a = b.doc.defaultAttr;
  a.font = 1;
  a.size = 14;
  a.SetTextColor(3);
  a.SetBackColor(4);
  a.style = csBold | csItalic | csUnderline | csStrikeOut | csDoubleUnderline | csSuperscript |
            csSubscript;
  a.marks = cmShadow | cmHidden;
  b.Text("x", a);
  TCharAttr ip = b.doc.defaultAttr;
  ip.marks = cmInsertPoint;
  ip.extra = 7;
  b.Text("I", ip);
  TCharAttr au = b.doc.defaultAttr;
  au.marks = cmAutomatic;
  b.Text("auto", au);
  std::string s = Rtf(b.doc);
  EXPECT_NE(s.find("{\\f1\\fnil\\charset0 Times New Roman;}"), std::string::npos);
  EXPECT_NE(s.find("{\\plain\\f1\\fs28\\cf3\\cb4\\b\\ul\\uldb\\super\\sub\\i\\strike\\shad\\v x"
                   "\\plain\\f0\\fs20\\cf0\\inspnt7 I\\plain\\f0\\fs20\\cf0\\inaut auto}"),
            std::string::npos)
      << s;

  TWriteOptions omit;
  omit.omitInsertPoints = omit.omitAutomaticText = true;
  s = Rtf(b.doc, omit);
  EXPECT_NE(s.find("\\v x\\plain\\f0\\fs20\\cf0 \\plain\\f0\\fs20\\cf0 }"), std::string::npos) << s;
}

TEST(RtfWriter, RunsAreCutAtFormatChangesAndAtEveryLine) {
  DocBuilder b;
  TCharAttr bold = b.doc.defaultAttr;
  bold.style = csBold;
  TCharAttr sameButExtra = b.doc.defaultAttr;
  sameButExtra.extra = 99;  // extra and layout fields do not cut runs
  sameButExtra.width = 5;
  b.Text("ab").Text("cd", sameButExtra).Text("B", bold).Line().Text("next");
  EXPECT_EQ(Body(b.doc), "{" + kRun + "abcd\\plain\\f0\\fs20\\cf0\\b B" + kRun + "next}");
}

TEST(RtfWriter, ParagraphPropertiesOnlyWhenTheyChange) {
  DocBuilder b;
  b.par->alignment = alCenter;
  b.par->leftIndent = 720;
  b.par->firstIndent = 360;
  b.par->rightIndent = 144;
  b.Text("one").Par().Text("two");  // inherits the same properties
  b.Par();
  b.par->alignment = alLeft;
  b.par->spaceBefore = 120;
  b.par->lineSpacing = 40;
  b.par->spaceAfter = 60;
  b.Text("three").Par();
  b.par->flags = pfPageBreak;
  b.Text("four");
  EXPECT_EQ(Body(b.doc), "{\\qc\\li720\\fi-360\\ri144" + kRun + "one\\par\n\r" + kRun +
                             "two\\par\n\r\\ql\\sb120\\sl40\\sa60" + kRun + "three\\par\n\r" +
                             "\\page" + kRun + "four}");
}

TEST(RtfWriter, SpacingWithoutLineSpacingWritesBareSl) {
  DocBuilder b;
  b.par->spaceBefore = 100;
  b.Text("x");
  EXPECT_EQ(Body(b.doc), "{\\sb100\\sl\\sa0" + kRun + "x}");
}

TEST(RtfWriter, HiddenLastRunEndsParagraphWithPlain) {
  DocBuilder b;
  TCharAttr hidden = b.doc.defaultAttr;
  hidden.marks = cmHidden;
  b.Text("seen").Text("secret", hidden).Par().Text("after");
  EXPECT_EQ(Body(b.doc), "{" + kRun + "seen\\plain\\f0\\fs20\\cf0\\v secret\\plain\\par\n\r" + kRun +
                             "after}");
}

TEST(RtfWriter, TabStopsOpenAGroupAndCloseItWhenTheyEnd) {
  DocBuilder b;
  const uint32_t left = b.doc.FindOrAddTab(720, tkLeft);
  const uint32_t right = b.doc.FindOrAddTab(2880, tkRight);
  const uint32_t dec = b.doc.FindOrAddTab(4320, tkDecimal);
  const uint32_t centre = b.doc.FindOrAddTab(5040, tkCenter);
  b.par->tabMask = left | right | dec | centre;
  b.Text("a\tb").Par().Text("same tabs").Par();
  b.par->tabMask = 0;
  b.Text("none");
  EXPECT_EQ(Body(b.doc), "{{\\tx720\\tqr\\tx2880\\tqdec\\tx4320\\tqc\\tx5040" + kRun +
                             "a\\tab b\\par\n\r" + kRun + "same tabs\\par\n\r}" + kRun + "none}");
}

TEST(RtfWriter, BorderGroup) {
  DocBuilder b;
  b.Text("before").Par();
  b.par->borderFlags = bfOn | bfBox | bfDouble;
  b.par->borderWidth = 2;
  b.par->borderSpacingColor = 0x13;  // 1 mm, colour 3
  b.par->borderStyle = bsDotted;
  b.Text("boxed").Par();
  b.par->borderFlags = 0;
  b.par->borderStyle = 0;
  b.par->borderWidth = 0;
  b.par->borderSpacingColor = 0;
  b.Text("after");
  EXPECT_EQ(Body(b.doc), "{" + kRun + "before\\par\n\r{\\box\\brdrdb\\brdrw40\\brsp57\\brdrcf3\\brdrdot" +
                             kRun + "boxed\\par\n\r}" + kRun + "after}");
}

TEST(RtfWriter, BorderGroupSpansParagraphsUntilTheBorderEndsOrChanges) {
  DocBuilder b;
  auto border = [&](uint8_t flags, uint8_t width) {
    b.par->borderFlags = flags;
    b.par->borderWidth = width;
  };
  border(bfOn | bfTop, 1);
  b.Text("a").Par();
  border(bfOn | bfTop | bfEnds, 1);  // same border, ends here
  b.Text("b").Par();
  border(bfOn | bfTop, 1);  // a new border block
  b.Text("c").Par();
  border(bfOn | bfTop, 3);  // another width: a group of its own
  b.Text("d");
  const std::string top1 = "{\\brdrt\\brdrs\\brdrw20";
  EXPECT_EQ(Body(b.doc), "{" + top1 + kRun + "a\\par\n\r" + kRun + "b\\par\n\r}" + top1 + kRun +
                             "c\\par\n\r}{\\brdrt\\brdrs\\brdrw60" + kRun + "d}}");
}

TEST(RtfWriter, TableRow) {
  DocBuilder b;
  b.Text("intro").Par();
  TParagraph* c1 = b.par;
  c1->flags = pfTableCell | pfRowContinues;
  c1->tabMask = 0 | (127u << 8);  // start 0, width 127 of 255
  c1->borderFlags = bfOn | bfTop;
  c1->borderWidth = 1;
  b.Text("A").Par();
  TParagraph* c2 = b.par;
  c2->flags = pfTableCell | pfLastCell;
  c2->tabMask = 127u | (128u << 8);
  c2->borderFlags = 0;
  c2->borderWidth = 0;
  b.Text("B").Par();
  b.par->flags = 0;
  b.par->tabMask = 0;
  b.Text("outro");
  // text width 12240 - 2 * 1880 = 8480: edges 8480*127/255 and 8480
  EXPECT_EQ(Body(b.doc), "{" + kRun + "intro\\par\n\r{\\pard\\trowd\\trgaph0\\trleft0"
                             "\\clbrdrt\\brdrs\\brdrw20\\cellx4223\\cellx8480\\intbl"
                             "\\sb0\\sl\\sa0" + kRun + "A\\cell\n\r\\intbl\\sb0\\sl\\sa0" + kRun +
                             "B\\cell\\row\n\r}" + kRun + "outro}");
}

TEST(RtfWriter, DocumentInformationAndFontFamilies) {
  DocBuilder b;
  b.doc.header.title = "My day";
  b.doc.header.subject = "Rain";
  b.doc.header.comment = "brace } here";
  b.doc.header.InternFont("Courier");
  b.doc.header.fontFamily[1] = 0x31;
  b.doc.header.fontCharset[1] = 238;
  b.doc.header.pageWidth = 11906;
  b.doc.header.marginTop = 720;
  const std::string s = Rtf(b.doc);
  EXPECT_NE(s.find("{\\f0\\fnil\\charset0 Arial;}{\\f1\\fmodern\\charset238 Courier;}}"),
            std::string::npos);
  EXPECT_NE(s.find("\\paperw11906\\paperh15840\\margl1880\\margr1880\\margt720\\margb1440"
                   "{\\title My day}{\\subject\tRain}{\\comment\tbrace \\'7d here}{"),
            std::string::npos)
      << s;
}

TEST(RtfWriter, Objects) {
  DocBuilder b;
  TTextObject* tag = b.doc.AddObject(nullptr, 2005);
  tag->placeholder = true;
  tag->width = 300;
  tag->height = 200;
  auto pic = std::make_unique<TPicture>();
  pic->kind = pkMetafile;
  pic->data.assign(22, 0);
  pic->data.push_back(0xAB);
  pic->data.push_back(0x01);
  pic->pixelWidth = 32;
  pic->pixelHeight = 16;
  TTextObject* meta = b.doc.AddObject(std::move(pic), -1);
  meta->width = 480;
  meta->height = 240;
  TTextObject* linked = b.doc.AddObject(nullptr, -1);
  linked->fileName = "pic.bmp";
  linked->width = 10;
  linked->height = 20;

  TCharAttr o = b.doc.defaultAttr;
  o.marks = cmObject;
  o.extra = int16_t(tag->key);
  b.Text("\x01", o);
  o.extra = int16_t(meta->key);
  b.Text("\x01", o);
  o.extra = int16_t(linked->id);
  b.Text("\x02", o);
  const std::string obj = "\\plain\\f0\\fs20\\cf0 ";
  EXPECT_EQ(Body(b.doc), "{" + obj + "\\qbobjtag2005\\qbobjw300\\qbobjh200 \\'01" + obj +
                             "{\\pict\\wmetafile8\\picw32\\pich16\\picwgoal480\\pichgoal240\r\nab01}" +
                             obj + "{\\*\\picfile\\picwgoal10\\pichgoal20 \"pic.bmp\"}}");

  TWriteOptions help;
  help.linkedPicturesAsHelpRefs = true;
  EXPECT_NE(Body(b.doc, help).find("\\{bmc pic.bmp\\}"), std::string::npos);
}

TEST(RtfWriter, Footnotes) {
  DocBuilder b;
  TFootnote* plain = b.doc.AddFootnote('*', 0, "see {this}");
  TFootnote* numbered = b.doc.AddFootnote('1', 3, "third");
  TCharAttr f = b.doc.defaultAttr;
  f.marks = cmFootnote;
  b.Text("word");
  f.extra = int16_t(plain->id);
  b.Text("*", f);
  f.extra = int16_t(numbered->id);
  b.Text("1", f);
  EXPECT_EQ(Body(b.doc),
            "{" + kRun + "word" + kRun +
                "{\\cs16\\super *{\\*\\footnote \\pard\\plain \\s15\\widctlpar \\f4\\fs20\\lang1031 "
                "{\\cs16\\super *} see \\'7bthis\\'7d}}" +
                kRun +
                "{\\cs16\\super 1{\\*\\footnote \\qbfnnr3 \\pard\\plain \\s15\\widctlpar "
                "\\f4\\fs20\\lang1031 {\\cs16\\super\t1} third}}}");
}

TEST(RtfWriter, RawRtfStateIsClosedBeforeParagraphEndAndTrailer) {
  DocBuilder b;
  TCharAttr raw = b.doc.defaultAttr;
  raw.marks = cmRawRtf;
  b.Text("x").Text("{\\b y}", raw).Par().Text("{\\i z}", raw).Line().Text("\\tab", raw);
  EXPECT_EQ(Body(b.doc), "{" + kRun + "x\\plain\\f0\\fs20\\cf0\\qbrtf1 {\\b y}\\qbrtf0\\par\n\r" +
                             "\\plain\\f0\\fs20\\cf0\\qbrtf1 {\\i z}\\tab\\qbrtf0}");
}

TEST(RtfWriter, RawRunFollowedByNormalRunEndsRawState) {
  DocBuilder b;
  TCharAttr raw = b.doc.defaultAttr;
  raw.marks = cmRawRtf;
  b.Text("{r}", raw).Text("n{");
  EXPECT_EQ(Body(b.doc), "{\\plain\\f0\\fs20\\cf0\\qbrtf1 {r}\\qbrtf0" + kRun + "n\\{}");
}

TEST(RtfWriter, PlainModeDocumentKeepsTextOutOfControlWords) {
  DocBuilder b;
  b.Text("hello").Par();
  b.par->alignment = alCenter;
  b.Text("centred").Par();
  b.par->alignment = alLeft;
  b.par->leftIndent = b.par->firstIndent = 720;
  b.Text("9 lives");
  b.doc.SetMemoryFormat(fmPlainText);
  const std::string s = Rtf(b.doc);
  EXPECT_EQ(s, "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil\\charset0 Arial;}}" + kColors +
                   kPage + "{hello\\par\n\r\\qc centred\\par\n\r\\ql\\li720\\fi0\\ri0 9 lives}\r\n}");
}

TEST(RtfWriter, EveryShortWriteFailsWithSeven) {
  DocBuilder b;
  TCharAttr bold = b.doc.defaultAttr;
  bold.style = csBold;
  b.Text("Some text that is long enough to be cut into more than one piece of output, "
         "so that every piece gets its turn at failing.")
      .Text("bold", bold)
      .Par()
      .Text("two");
  const std::string full = Rtf(b.doc);
  for (size_t limit = 0; limit < full.size(); limit += 7) {
    ShortStream out(limit);
    TRTFWriter w(b.doc, out);
    EXPECT_EQ(w.Write(), kWriteFailed) << limit;
    EXPECT_EQ(out.bytes, full.substr(0, limit));
  }
  ShortStream out(full.size());
  TRTFWriter w(b.doc, out);
  EXPECT_EQ(w.Write(), kWriteOk);
}

TEST(RtfWriter, RangeWritesTheSelectedBlock) {
  DocBuilder b;
  b.Text("first para").Par().Text("second").Par().Text("third");
  TTextRange r;
  r.startParagraph = b.doc.firstParagraph;
  r.startLine = r.startParagraph->firstLine;
  r.startPos = 6;
  r.endParagraph = b.doc.firstParagraph->next;
  r.endLine = r.endParagraph->firstLine;
  r.endPos = 3;
  TStringWriteStream out;
  ASSERT_EQ(WriteRange(b.doc, r, out, FormatRTF), kWriteOk);
  EXPECT_EQ(out.bytes, kHeader + "{" + kRun + "para\\par\n\r" + kRun + "sec}\r\n}");
}

TEST(SaveFormat, ChoiceByForcedLoadedAndMemoryFormat) {
  DocBuilder b;
  b.Text("x");
  struct Case {
    TLoadFormat forced;
    uint8_t loaded;
    bool plain;
    TLoadFormat expected;
  } cases[] = {
      {FormatANSI, FormatRTF, false, FormatANSI},
      {FormatHTML, FormatRTF, false, FormatHTML},
      {AutomaticFormat, FormatANSI, false, FormatANSI},
      {LastFormat, FormatRTF, true, FormatRTF},
      {AutomaticFormat, FormatHTML, false, FormatRTF},
      {AutomaticFormat, AutomaticFormat, true, FormatANSI},
  };
  for (const auto& c : cases) {
    b.doc.header.loadedFormat = c.loaded;
    b.doc.SetMemoryFormat(c.plain ? fmPlainText : fmRichText);
    EXPECT_EQ(ChooseSaveFormat(b.doc, c.forced), c.expected);
  }
}

TEST(SaveFormat, StreamSaves) {
  DocBuilder empty;
  TStringWriteStream out;
  EXPECT_EQ(SaveToStream(empty.doc, out, FormatRTF), kWriteOk);
  EXPECT_EQ(out.bytes, "");  // an empty document written as RTF writes nothing

  DocBuilder b;
  b.Text("a\x01").Par().Text("b");
  TStringWriteStream text;
  EXPECT_EQ(SaveToStream(b.doc, text, FormatANSI), kWriteOk);
  EXPECT_EQ(text.bytes, "a\r\nb");
  TStringWriteStream rtf;
  EXPECT_EQ(SaveToStream(b.doc, rtf), kWriteOk);
  EXPECT_EQ(rtf.bytes.rfind("{\\rtf1\\ansi", 0), 0u);
}

TEST(SaveFormat, FileNameChoosesTheWriter) {
  DocBuilder b;
  TCharAttr bold = b.doc.defaultAttr;
  bold.style = csBold;
  b.Text("R&D ").Text("<b>", bold);
  b.doc.header.loadedFormat = FormatANSI;
  const auto dir = std::filesystem::temp_directory_path() / "quill_rtfw_names";
  std::filesystem::create_directories(dir);
  auto read = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  };
  ASSERT_EQ(SaveToFile(b.doc, (dir / "a.rtf.bak").string()), kWriteOk);
  EXPECT_EQ(read(dir / "a.rtf.bak").rfind("{\\rtf1", 0), 0u);
  ASSERT_EQ(SaveToFile(b.doc, (dir / "page.html").string()), kWriteOk);
  EXPECT_NE(read(dir / "page.html").find("<p>R&amp;D <b>&lt;b&gt;</b></p>"), std::string::npos);
  ASSERT_EQ(SaveToFile(b.doc, (dir / "notes.TXT").string()), kWriteOk);
  EXPECT_EQ(read(dir / "notes.TXT"), "R&D <b>");

  std::string error;
  EXPECT_EQ(SaveToFile(b.doc, (dir / "missing" / "x.rtf").string(), AutomaticFormat, {}, &error),
            kWriteFailed);
  EXPECT_NE(error.find("Cannot create file"), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quill
