// Characters, groups, destinations, hex escapes and control word parsing.
#include <gtest/gtest.h>

#include "reader_helpers.h"

namespace quill {
namespace {

using test::Loaded;

struct TextCase {
  const char* name;
  const char* rtf;
  const char* text;  // paragraphs joined by '|'
};

TEST(ReaderText, Cases) {
  const TextCase cases[] = {
      {"hello", "{\\rtf1 Hello}", "Hello"},
      {"two paragraphs", "{\\rtf1 a\\par b}", "a|b"},
      {"line break", "{\\rtf1 a\\line b}", "a\nb"},
      {"after outer group", "{\\rtf1 in}out", "in"},
      {"unknown ignorable", "{\\rtf1 a{\\*\\unknown text}b}", "ab"},
      {"unknown plain", "{\\rtf1 a{\\unknown text}b}", "atextb"},
      {"hex escape", "{\\rtf1 caf\\'e9}", "caf\xe9"},
      {"hex upper case", "{\\rtf1 \\'C4\\'e4}", "\xc4\xe4"},
      {"input line ends ignored", "{\\rtf1 a\r\nb\tc}", "abc"},
      {"tab word", "{\\rtf1 a\\tab b}", "a\tb"},
      {"quotes", "{\\rtf1 \\ldblquote x\\rdblquote }", "\"x\""},
      {"escaped symbols", "{\\rtf1 \\{\\}\\\\}", "{}\\"},
      {"space after word belongs to it", "{\\rtf1 \\b  x}", " x"},
      {"other delimiter is text", "{\\rtf1 \\b;x}", ";x"},
      {"unicode word ignored, fallback kept", "{\\rtf1 a\\u8364?b}", "a?b"},
      {"unicode with hex fallback", "{\\rtf1 \\u8364\\'80}", "\x80"},
      {"field result read as text", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}}", "link"},
      {"info skipped", "{\\rtf1 {\\info{\\title T}{\\author A}}body}", "body"},
      {"stylesheet and header skipped", "{\\rtf1 {\\stylesheet{\\s0 Normal;}}{\\header H}x}", "x"},
      {"private1 skipped", "{\\rtf1 {\\private1 secret}x}", "x"},
      {"escaped CR and LF dropped", "{\\rtf1 a\\\nb\\\rc}", "abc"},
      {"long word keeps 29 and last letter", "{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefgh x}", "x"},
      {"control symbol unknown", "{\\rtf1 a\\|b\\:c}", "abc"},
      {"par in skipped group", "{\\rtf1 a{\\*\\x \\par}b}", "ab"},
      {"empty", "{\\rtf1 }", ""},
  };
  for (const auto& c : cases) {
    Loaded r(c.rtf);
    EXPECT_EQ(r.result, 0) << c.name;
    EXPECT_EQ(r.Text(), c.text) << c.name;
  }
}

// Word, WordPad and LibreOffice write quotes, dashes and special spaces as
// control words; they become their Windows-1252 characters.
TEST(ReaderText, SymbolWordsOfOtherWriters) {
  const TextCase cases[] = {
      {"apostrophe", "{\\rtf1 don\\rquote t}", "don\x92t"},
      {"single quotes", "{\\rtf1 \\lquote x\\rquote}", "\x91x\x92"},
      {"double quotes unchanged", "{\\rtf1 \\ldblquote x\\rdblquote}", "\"x\""},
      {"dashes", "{\\rtf1 a\\emdash b\\endash c}", "a\x97" "b\x96" "c"},
      {"bullet", "{\\rtf1 \\bullet\\tab item}", "\x95\titem"},
      {"non-breaking space", "{\\rtf1 10\\~km}", "10\xA0km"},
      {"non-breaking hyphen", "{\\rtf1 e\\_mail}", "e-mail"},
      {"optional hyphen", "{\\rtf1 dia\\-ry}", "diary"},
      {"en and em space", "{\\rtf1 a\\enspace b\\emspace c}", "a b c"},
      {"in a footnote", "{\\rtf1 x{\\footnote it\\rquote s}}", "x"},
  };
  for (const auto& c : cases) {
    Loaded r(c.rtf);
    EXPECT_EQ(r.result, 0) << c.name;
    EXPECT_EQ(r.Text(), c.text) << c.name;
  }
  Loaded f("{\\rtf1 x{\\footnote it\\rquote s}}");
  ASSERT_NE(f.doc.firstFootnote, nullptr);
  EXPECT_EQ(f.doc.firstFootnote->text, "it\x92s");
}

TEST(ReaderText, ByteZeroEndsReading) {
  const std::string rtf("{\\rtf1 ab\0cd}", 13);
  Loaded r(rtf);
  EXPECT_EQ(r.Text(), "ab");
}

TEST(ReaderText, LongControlWordMatchesOnlyItsCutForm) {
  // 31 letters: the first 29 and the last are kept, so it is no known word,
  // and with the ignorable flag its group is skipped.
  Loaded r("{\\rtf1 {\\*\\abcdefghijklmnopqrstuvwxyzabcde gone}kept}");
  EXPECT_EQ(r.Text(), "kept");
}

TEST(ReaderText, DefaultFontAndSize) {
  Loaded r("{\\rtf1 Hello}");
  const TCharAttr& a = test::AttrAt(r.Par(0), 0);
  EXPECT_EQ(a.font, 0);
  EXPECT_EQ(a.PointSize(), 10);
  EXPECT_EQ(r.doc.header.FontName(0), "Arial");
}

TEST(ReaderText, TitleSubjectAndCommentOutsideInfo) {
  Loaded r("{\\rtf1 {\\title My day}{\\subject S}{\\comment C}{\\title second}x}");
  EXPECT_EQ(r.doc.header.title, "My day");  // a second title is skipped
  EXPECT_EQ(r.doc.header.subject, "S");
  EXPECT_EQ(r.doc.header.comment, "C");
  EXPECT_EQ(r.Text(), "x");
}

TEST(ReaderText, RawRtfRunIsKeptAsText) {
  Loaded r("{\\rtf1 \\qbrtf1 {\\b x}\\qbrtf0 y}");
  EXPECT_EQ(r.Text(), "{\\b x}y");
  const TParagraph* p = r.Par(0);
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(test::AttrAt(p, i).marks & cmRawRtf) << i;
  EXPECT_FALSE(test::AttrAt(p, 6).marks & cmRawRtf);
}

TEST(ReaderText, RawRtfPartialTerminatorIsText) {
  Loaded r("{\\rtf1 \\qbrtf1 \\qbrtX\\\\qbrtf0}");
  EXPECT_EQ(r.Text(), "\\qbrtX\\");
}

TEST(ReaderText, RawRtfRunToTheEndOfInput) {
  Loaded r("{\\rtf1 \\qbrtf1 abc\\qb");
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.Text(), "abc\\qb");
}

TEST(ReaderText, LinesAreChunkedAndTrimmed) {
  std::string rtf = "{\\rtf1 ";
  rtf += std::string(1000, 'x');
  rtf += "\\par y}";
  Loaded r(rtf);
  ASSERT_EQ(test::Paragraphs(r.doc).size(), 2u);
  EXPECT_EQ(test::TextOf(r.Par(0)), std::string(1000, 'x'));
  for (const TLine* l = r.Par(0)->firstLine; l; l = l->next) {
    EXPECT_LE(l->capacity, l->length + 3);  // length + 2, rounded up to even
    EXPECT_EQ(l->text[l->length], 0);
  }
}

}  // namespace
}  // namespace quill
