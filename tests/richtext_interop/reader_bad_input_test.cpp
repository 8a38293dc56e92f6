// Hostile and damaged RTF: deep nesting, huge numbers, very long text,
// truncated files. The reader must return, keep what it read before the
// damage, and leave a sound document.

#include <gtest/gtest.h>

#include <string>

#include "richtext/io/rtf_text_io.h"
#include "tests/richtext_interop/document_invariants.h"
#include "tests/richtext_interop/interop_support.h"

namespace quill::testing {
namespace {

std::string AllText(const TRTFText& doc) {
  std::string s;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p != doc.firstParagraph) s += '|';
    s += ParagraphText(p);
  }
  return s;
}

struct BadInput {
  const char* name;
  std::string rtf;
  int result;        // 0 read, 7 failed
  std::string text;  // paragraphs joined by '|'
};

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * size_t(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

class ReaderBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(ReaderBadInput, ReturnsWithDefinedResult) {
  const BadInput& c = GetParam();
  TRTFText doc;
  TRTFTextIo io(doc);
  EXPECT_EQ(io.ReadRTF(c.rtf), c.result) << io.lastError;
  if (c.result != 0) {
    EXPECT_FALSE(io.lastError.empty());
  }
  EXPECT_EQ(AllText(doc), c.text);
  const std::string fault = CheckDocumentInvariants(doc);
  EXPECT_TRUE(fault.empty()) << fault;
}

const BadInput kBadInputs[] = {
    {"empty", "", 0, ""},
    {"only_brace", "{", 0, ""},
    {"truncated_in_group", "{\\rtf1{\\b bold{\\i it", 0, "boldit"},
    {"truncated_in_word", "{\\rtf1 ab\\pa", 0, "ab"},
    {"truncated_in_hex", "{\\rtf1 ab\\'e", 0, "ab"},
    {"truncated_in_picture", "{\\rtf1 ab{\\pict\\wmetafile8 0102", 0, "ab"},
    {"truncated_in_font_table", "{\\rtf1{\\fonttbl{\\f0 Ari", 0, ""},
    {"truncated_raw_text", "{\\rtf1 a\\qbrtf1 {\\b x}\\qbrt", 0, "a{\\b x}\\qbrt"},
    {"bad_hex_is_skipped", "{\\rtf1 caf\\'e9 \\'zz rest}", 0, "caf\xE9 zz rest"},
    {"byte_0_ends_reading", std::string("{\\rtf1 before\0after}", 20), 0, "before"},
    {"text_after_outer_group", "{\\rtf1 in}out", 0, "in"},
    {"closing_below_zero", "{\\rtf1 a}}}}b", 0, "a"},
    {"stray_closing_first", "}{\\rtf1 a}", 0, ""},
    // 100000 nested groups: formatting outside the nest survives it.
    {"deep_nesting", "{\\rtf1 {\\b " + std::string(100000, '{') + "x" + std::string(100000, '}') +
                         "y}z}",
     0, "xyz"},
    {"deep_nesting_unclosed", "{\\rtf1 a" + std::string(200000, '{') + "b", 0, "ab"},
    {"deep_nesting_pars", "{\\rtf1 " + Repeat("{a\\par ", 5000) + std::string(5000, '}') + "}", 0,
     Repeat("a|", 5000)},
    // Numbers: 32-bit signed is the range; beyond it a number counts as the
    // nearest 32-bit one and the read goes on.
    {"int32_max", "{\\rtf1 a\\li2147483647 b}", 0, "ab"},
    {"int32_min", "{\\rtf1 a\\fi-2147483648 b}", 0, "ab"},
    {"int32_overflow", "{\\rtf1 a\\fs2147483648 b}", 0, "ab"},
    {"int32_underflow", "{\\rtf1 a\\fs-2147483649 b}", 0, "ab"},
    {"forty_digits", "{\\rtf1 a\\sb" + std::string(40, '9') + " b}", 0, "ab"},
    {"forty_zero_digits", "{\\rtf1 a\\sb" + std::string(40, '0') + " b}", 0, "ab"},
    {"unknown_word_huge_number", "{\\rtf1 a\\zzz99999999999 b}", 0, "ab"},
    {"huge_picture_scale", "{\\rtf1 a{\\pict\\wmetafile8\\picwgoal2147483647\\picscalex2147483647 00}b}",
     0, "a\x01" "b"},
    {"negative_picture_size", "{\\rtf1 a{\\pict\\dibitmap0\\picw-5\\pich-5\\picwgoal-100 00}b}", 0,
     "a\x01" "b"},
    {"huge_font_number", "{\\rtf1{\\fonttbl{\\f2147483647 Big;}}\\f2147483647 a}", 0, "a"},
    {"huge_colour_index", "{\\rtf1\\cf2147483647\\cb-1 a}", 0, "a"},
    {"many_cells", "{\\rtf1\\trowd" + Repeat("\\cellx100", 200) + "\\intbl " + Repeat("c\\cell ", 200) +
                       "\\row}",
     0, Repeat("c|", 200)},
    // A word of more than 30 letters is cut and matches no known word.
    {"long_control_word", "{\\rtf1 \\" + std::string(40, 'b') + " x}", 0, "x"},
    // One paragraph of 10001 characters: lines are storage chunks, so no line
    // reaches the 10000-slot limit.
    {"line_10001", "{\\rtf1 " + std::string(10001, 'x') + "}", 0, std::string(10001, 'x')},
    {"line_10001_hex", "{\\rtf1 " + Repeat("\\'e9", 10001) + "}", 0, std::string(10001, '\xE9')},
    {"many_fonts", "{\\rtf1{\\fonttbl" + [] {
       std::string s;
       for (int i = 0; i < 150; ++i) s += "{\\f" + std::to_string(i) + " Font" + std::to_string(i) + ";}";
       return s;
     }() + "}\\f98 a\\f140 b}",
     0, "ab"},
    {"many_tab_stops", "{\\rtf1" + [] {
       std::string s;
       for (int i = 1; i <= 40; ++i) s += "\\tx" + std::to_string(i * 1440);
       return s;
     }() + " a\\tab b}",
     0, "a\tb"},
    {"many_footnotes", "{\\rtf1 " + Repeat("x{\\footnote n}", 3000) + "}", 0, std::string(3000, 'x')},
};

INSTANTIATE_TEST_SUITE_P(Cases, ReaderBadInput, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderDeepNesting, FormattingOutsideTheNestSurvives) {
  const std::string rtf = "{\\rtf1 {\\b " + std::string(100000, '{') + "\\i x" +
                          std::string(100000, '}') + "y}z}";
  TRTFText doc;
  TRTFTextIo io(doc);
  ASSERT_EQ(io.ReadRTF(rtf), 0);
  FoundText f;
  ASSERT_TRUE(FindText(doc, "xyz", &f));
  EXPECT_EQ(f.attrs[0].style & csBold, csBold);
  EXPECT_EQ(f.attrs[1].style & csBold, csBold);
  EXPECT_EQ(f.attrs[2].style & csBold, 0) << "bold leaked out of its group";
}

TEST(ReaderHugeNumbers, TheRestOfThePageIsRead) {
  TRTFText doc;
  TRTFTextIo io(doc);
  EXPECT_EQ(io.ReadRTF("{\\rtf1 one\\par {\\b two}\\par three\\fs99999999999 four\\par five}"), 0);
  EXPECT_EQ(AllText(doc), "one|two|threefour|five");
  const std::string fault = CheckDocumentInvariants(doc);
  EXPECT_TRUE(fault.empty()) << fault;
  // The next read into the same document starts clean.
  EXPECT_EQ(io.ReadRTF("{\\rtf1 fresh}"), 0);
  EXPECT_EQ(AllText(doc), "fresh");
}

// Every prefix of a real document reads quietly, and the text read is the
// start of the whole document's text.
TEST(ReaderTruncated, EveryCutOfRealDocuments) {
  for (const char* name : {"formatting", "table", "footnote", "picture", "accents"}) {
    SCOPED_TRACE(name);
    const std::string rtf = ReadFileBytes(FixturePath(std::string("libreoffice/") + name + ".rtf"));
    ASSERT_FALSE(rtf.empty());
    std::string whole;
    {
      TRTFText doc;
      TRTFTextIo io(doc);
      ASSERT_EQ(io.ReadRTF(rtf), 0);
      whole = AllText(doc);
    }
    for (size_t cut = 0; cut < rtf.size(); cut += 13) {
      TRTFText doc;
      TRTFTextIo io(doc);
      ASSERT_EQ(io.ReadRTF(std::string_view(rtf).substr(0, cut)), 0) << "cut at " << cut;
      const std::string fault = CheckDocumentInvariants(doc);
      ASSERT_TRUE(fault.empty()) << "cut at " << cut << ": " << fault;
      std::string part = AllText(doc);
      // A cut can leave an empty paragraph or picture the whole read lacks
      // at that point; compare the characters only.
      auto chars = [](std::string s) {
        std::string out;
        for (char c : s)
          if (c != '|' && c != '\x01') out += c;
        return out;
      };
      const std::string a = chars(part), b = chars(whole);
      ASSERT_EQ(b.compare(0, a.size(), a), 0) << "cut at " << cut << ": \"" << a << "\"";
    }
  }
}

}  // namespace
}  // namespace quill::testing
