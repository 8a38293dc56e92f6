// The text finder: plain and wildcard patterns, whole words, letter case,
// both directions, the word walk, and replacing.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "richtext/find/text_finder.h"
#include "richtext/find/win1252_case.h"
#include "tests/richtext_writer/doc_builder.h"

namespace quill {
namespace {

using testing::Build;
using testing::DocBuilder;
using testing::TextOf;

using Hits = std::vector<std::pair<int, int>>;

struct FindCase {
  const char* name;
  const char* doc;
  const char* pattern;
  bool backward = false;
  int start = 0;  // -1: from the end
  bool wholeWord = false;
  uint8_t matchCase = 0;
  uint8_t wildcard = '*';
  Hits hits;
};

TEST(TextFinder, SuccessiveMatches) {
  const FindCase cases[] = {
      {"plain", "the cat sat on the mat", "the", false, 0, false, 0, '*', {{0, 3}, {15, 3}}},
      {"continues right after a match", "aaaa", "aa", false, 0, false, 0, '*', {{0, 2}, {2, 2}}},
      {"never across a paragraph end", "ab|cd", "bc", false, 0, false, 0, '*', {}},
      {"positions count paragraph ends", "ab|cd|c", "c", false, 0, false, 0, '*', {{3, 1}, {6, 1}}},
      {"from a position", "cat cat cat", "cat", false, 5, false, 0, '*', {{8, 3}}},
      {"across storage lines", "hel^lo wor^l^d", "lo world", false, 0, false, 0, '*', {{3, 8}}},
      {"one-character lines", "a^b^c", "b", false, 0, false, 0, '*', {{1, 1}}},
      {"case folded", "ABC abc", "abc", false, 0, false, 0, '*', {{0, 3}, {4, 3}}},
      {"case exact", "ABC abc", "abc", false, 0, false, 1, '*', {{4, 3}}},
      {"Windows-1252 case folding", "\xDC" "ber \xFC" "ber", "\xFC" "ber", false, 0, false, 0, '*',
       {{0, 4}, {5, 4}}},
      {"folding of S caron and Y diaeresis", "\x8A\x9F", "\x9A\xFF", false, 0, false, 0, '*', {{0, 2}}},
      {"whole word", "cat concat cats cat", "cat", false, 0, true, 0, '*', {{0, 3}, {16, 3}}},
      {"not whole word", "cat concat cat", "cat", false, 0, false, 0, '*', {{0, 3}, {7, 3}, {11, 3}}},
      {"whole word at paragraph start and end", "cat|x cat", "cat", false, 0, true, 0, '*',
       {{0, 3}, {6, 3}}},
      {"digits and apostrophes delimit", "1cat2 o'cat", "cat", false, 0, true, 0, '*',
       {{1, 3}, {8, 3}}},
      {"wildcard to the nearest end", "xaxxbxb", "a*b", false, 0, false, 0, '*', {{1, 4}}},
      {"trailing wildcard takes the paragraph", "zzab cd|ef ab", "ab*", false, 0, false, 0, '*',
       {{2, 5}, {11, 2}}},
      {"leading wildcard never matches", "ab", "*b", false, 0, false, 0, '*', {}},
      {"wildcard alone takes the rest", "abc|de", "*", false, 1, false, 0, '*', {{1, 2}, {4, 2}}},
      {"wildcard in the suffix matches one character", "aQQbxd abd", "a*b*d", false, 0, false, 0,
       '*', {{0, 6}}},
      {"without a wildcard the star is a character", "a*b axb", "a*b", false, 0, false, 0, 0,
       {{0, 3}}},
      {"wildcard whole word", "a x b ab", "a*b", false, 0, true, 0, '*', {{0, 5}}},
      {"backward from the end", "the cat the", "the", true, -1, false, 0, '*', {{8, 3}, {0, 3}}},
      {"backward over paragraphs", "ab|cab|x", "ab", true, -1, false, 0, '*', {{4, 2}, {0, 2}}},
      {"backward from position 0", "abc", "a", true, 0, false, 0, '*', {}},
      {"backward before a position", "ab ab ab", "ab", true, 5, false, 0, '*', {{3, 2}, {0, 2}}},
      {"backward whole word", "cat concat cat", "cat", true, -1, true, 0, '*', {{11, 3}, {0, 3}}},
      {"backward wildcard", "a1b a2b", "a*b", true, -1, false, 0, '*', {{4, 3}, {0, 3}}},
      {"empty pattern finds nothing", "abc", "", false, 0, false, 0, '*', {}},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    TTextFinder f(&b.doc);
    f.wholeWord = c.wholeWord;
    f.matchCase = c.matchCase;
    f.wildcard = c.wildcard;
    if (c.start < 0) {
      f.RestartAtEnd();
    } else {
      f.SetPosition(c.start);
    }
    Hits got;
    for (int i = 0; i < 10; ++i) {
      const bool ok = c.backward ? f.FindPrevious(c.pattern) : f.FindNext(c.pattern);
      if (!ok) {
        EXPECT_EQ(f.FoundStart(), 0) << c.name;
        EXPECT_EQ(f.FoundLength(), 0) << c.name;
        break;
      }
      got.emplace_back(f.FoundStart(), f.FoundLength());
    }
    EXPECT_EQ(got, c.hits) << c.name;
    EXPECT_EQ(f.Direction(), c.backward ? 1 : 0) << c.name;
  }
}

TEST(TextFinder, FoundTextAndPositions) {
  DocBuilder b;
  Build(b, "first|sec^ond line");
  TTextFinder f(&b.doc);
  EXPECT_EQ(f.SetPosition(7), 6);
  EXPECT_EQ(f.Index(), 1);
  ASSERT_TRUE(f.FindNext("cond"));
  EXPECT_EQ(f.FoundText(), "cond");
  EXPECT_EQ(f.FoundStart(), 8);
  // A position on a paragraph's end mark belongs to that paragraph.
  EXPECT_EQ(f.SetPosition(5), 0);
  EXPECT_EQ(f.SetPosition(6), 0);
  EXPECT_EQ(f.SetPosition(7), 6);
  EXPECT_FALSE(f.Found());
  f.SetPosition(1000);
  EXPECT_TRUE(f.RanOff());
}

std::vector<std::string> Words(std::string_view spec) {
  DocBuilder b;
  Build(b, spec);
  TTextFinder f(&b.doc);
  f.wildcard = '*';
  f.wordDelimiter = ' ';
  f.wordMode = true;
  std::vector<std::string> words;
  while (f.FindNext("*")) {
    words.push_back(f.FoundText());
    if (words.size() > 50) break;
  }
  return words;
}

TEST(TextFinder, WordWalk) {
  using W = std::vector<std::string>;
  EXPECT_EQ(Words("It's 10:30, e-mail me!"), (W{"It's", "e", "mail", "me"}));
  EXPECT_EQ(Words("rock'n'roll don't students' 'quoted'"),
            (W{"rock'n'roll", "don't", "students", "quoted"}));
  EXPECT_EQ(Words("caf\xE9 Stra\xDF" "e|x1y|  |"), (W{"caf\xE9", "Stra\xDF" "e", "x", "y"}));
  EXPECT_EQ(Words("sp^lit wo^rd"), (W{"split", "word"}));
  EXPECT_EQ(Words(""), W{});
}

TEST(TextFinder, SpellCheckWalkGoesOnFromTheCaretAfterAnEdit) {
  DocBuilder b;
  Build(b, "Teh cat|sat dwon");
  TTextFinder f(&b.doc);
  EXPECT_EQ(f.NextWord(), "Teh");
  ASSERT_TRUE(f.ReplaceFound("The"));
  EXPECT_EQ(f.NextWord(true, 3), "cat");  // caret behind the replacement
  EXPECT_EQ(f.NextWord(), "sat");
  EXPECT_EQ(f.NextWord(), "dwon");
  ASSERT_TRUE(f.ReplaceFound("down"));
  EXPECT_EQ(f.NextWord(true, f.FoundStart() + f.FoundLength()), "");
  EXPECT_TRUE(f.RanOff());
  EXPECT_EQ(f.NextWord(), "The");  // starts again at the beginning
  EXPECT_EQ(TextOf(b.doc), "The cat|sat down");
}

TEST(TextFinder, FindTextFromStartOrEnd) {
  DocBuilder b;
  Build(b, "one two|one");
  TTextFinder f(&b.doc);
  f.SetPosition(5);
  ASSERT_TRUE(f.FindText("one", false));
  EXPECT_EQ(f.FoundStart(), 0);
  ASSERT_TRUE(f.FindText("one", true));
  EXPECT_EQ(f.FoundStart(), 8);
  ASSERT_TRUE(f.FindText("o*o", false));
  EXPECT_EQ(f.FoundText(), "one two");
  EXPECT_FALSE(f.FindText("three", false));
}

TEST(TextFinder, ReplaceFoundKeepsTheMatchAttribute) {
  DocBuilder b;
  TCharAttr bold = b.doc.defaultAttr;
  bold.style = csBold;
  b.Text("Dear ").Text("diary", bold).Text(" page");
  TTextFinder f(&b.doc);
  EXPECT_FALSE(f.ReplaceFound("x"));  // nothing found yet
  ASSERT_TRUE(f.FindNext("diary"));
  ASSERT_TRUE(f.ReplaceFound("journal"));
  EXPECT_EQ(TextOf(b.doc), "Dear journal page");
  EXPECT_EQ(f.FoundLength(), 7);
  EXPECT_EQ(f.LastReplacement(), "journal");
  const TLine* l = b.doc.firstParagraph->firstLine;
  for (int i = 5; i < 12; ++i) EXPECT_EQ(l->attribs[i].style, csBold) << i;
  EXPECT_EQ(l->attribs[12].style, 0);
  EXPECT_TRUE(b.doc.firstParagraph->layoutState & lsAll);
}

TEST(TextFinder, ReplaceFoundAcrossStorageLines) {
  DocBuilder b;
  Build(b, "say hel^l^o there");
  TTextFinder f(&b.doc);
  ASSERT_TRUE(f.FindNext("hello"));
  ASSERT_TRUE(f.ReplaceFound("hi"));
  EXPECT_EQ(TextOf(b.doc), "say hi there");
  ASSERT_TRUE(f.FindNext("there"));
  EXPECT_EQ(f.FoundStart(), 7);
}

struct ReplaceCase {
  const char* name;
  const char* doc;
  const char* pattern;
  const char* replacement;
  int start;
  bool wholeWord;
  const char* after;
  int count;
};

TEST(TextFinder, ReplaceAll) {
  const ReplaceCase cases[] = {
      {"every match", "cat cat|cat", "cat", "dog", 0, false, "dog dog|dog", 3},
      {"replacement holding the pattern", "a a", "a", "aa", 0, false, "aa aa", 2},
      {"from the position on", "cat cat", "cat", "dog", 2, false, "cat dog", 1},
      {"whole words only", "cat concat", "cat", "dog", 0, true, "dog concat", 1},
      {"case folded", "Cat CAT", "cat", "x", 0, false, "x x", 2},
      {"wildcard", "a1b a22b", "a*b", "-", 0, false, "- -", 2},
      {"to nothing", "xaxbx", "x", "", 0, false, "ab", 3},
      {"no match changes nothing", "abc", "z", "y", 0, false, "abc", 0},
      {"empty pattern changes nothing", "abc", "", "y", 0, false, "abc", 0},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.doc);
    TTextFinder f(&b.doc);
    f.wildcard = '*';
    f.wholeWord = c.wholeWord;
    f.SetPosition(c.start);
    f.ReplaceAll(c.pattern, c.replacement);
    EXPECT_EQ(TextOf(b.doc), c.after) << c.name;
    EXPECT_EQ(f.ReplaceCount(), c.count) << c.name;
    // The last search of a replace-all fails, so the editor's caret goes to 0.
    EXPECT_EQ(f.FoundStart() + f.FoundLength(), 0) << c.name;
  }
}

TEST(TextFinder, ReplaceAllRunsInBatchesOfThirtyAndCanBeStopped) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "x ";
  struct Case {
    int stopAtCall;  // 0: never
    int replaced;
    int calls;
  } cases[] = {{1, 30, 1}, {2, 60, 2}, {0, 100, 3}};
  for (const auto& c : cases) {
    DocBuilder b;
    b.Text(text);
    TTextFinder f(&b.doc);
    int calls = 0;
    f.stopRequested = [&] { return ++calls == c.stopAtCall; };
    f.ReplaceAll("x", "yy");
    EXPECT_EQ(f.ReplaceCount(), c.replaced);
    EXPECT_EQ(calls, c.calls);
    const std::string after = TextOf(b.doc);
    size_t done = 0;
    for (size_t at = after.find("yy"); at != std::string::npos; at = after.find("yy", at + 2)) ++done;
    EXPECT_EQ(int(done), c.replaced);  // what was replaced before the stop stays
  }
}

TEST(TextFinder, ClearResetsOptionsAndPlace) {
  DocBuilder b;
  Build(b, "abc abc");
  TTextFinder f(&b.doc);
  f.matchCase = 1;
  f.wholeWord = true;
  f.wildcard = '*';
  f.wordMode = true;
  f.wordDelimiter = ' ';
  ASSERT_TRUE(f.FindNext("abc"));
  ASSERT_TRUE(f.FindNext("abc"));
  f.Clear();
  EXPECT_EQ(f.matchCase, 0);
  EXPECT_FALSE(f.wholeWord);
  EXPECT_EQ(f.wildcard, 0);
  EXPECT_FALSE(f.wordMode);
  EXPECT_EQ(f.wordDelimiter, 0);
  EXPECT_FALSE(f.Found());
  EXPECT_TRUE(f.FindNext("abc"));
  EXPECT_EQ(f.FoundStart(), 0);
}

// The finder keeps its place between calls; when the document frees
// paragraphs in between (clear, reload, joining) it must not read them again.
TEST(TextFinder, KeepsOnlyItsPlaceWhenParagraphsAreFreed) {
  struct Case {
    const char* name;
    const char* before;
    const char* after;  // rebuilt after clearing; null: last paragraph disposed
    bool found;
    int start;
  } cases[] = {
      {"reloaded: goes on from the same position", "a|b|cat cat", "cat cat cat", true, 4},
      {"reloaded shorter: runs off the end", "a|b|cat cat", "cat", false, 0},
      {"matched paragraph disposed", "a|cat", nullptr, false, 0},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    Build(b, c.before);
    TTextFinder f(&b.doc);
    ASSERT_TRUE(f.FindNext("cat")) << c.name;
    if (c.after) {
      b.doc.ClearDocument();
      b.par = b.doc.firstParagraph;
      Build(b, c.after);
    } else {
      b.doc.DisposeParagraph(b.doc.LastParagraph());
    }
    const std::string text = TextOf(b.doc);
    // The old match is gone: it is neither shown nor replaced.
    EXPECT_EQ(f.FoundText(), "") << c.name;
    EXPECT_FALSE(f.ReplaceFound("dog")) << c.name;
    EXPECT_EQ(TextOf(b.doc), text) << c.name;
    EXPECT_EQ(f.FindNext("cat"), c.found) << c.name;
    EXPECT_EQ(f.FoundStart(), c.start) << c.name;
  }
}

TEST(Win1252Case, LettersAndLowerCase) {
  EXPECT_EQ(LowerCase1252('A'), 'a');
  EXPECT_EQ(LowerCase1252(0xC0), 0xE0);
  EXPECT_EQ(LowerCase1252(0xDE), 0xFE);
  EXPECT_EQ(LowerCase1252(0xD7), 0xD7);  // multiplication sign
  EXPECT_EQ(LowerCase1252(0xDF), 0xDF);  // sharp s has no upper case here
  EXPECT_EQ(LowerCase1252(0x8C), 0x9C);
  EXPECT_EQ(LowerCase1252('1'), '1');
  for (uint8_t c : {uint8_t('a'), uint8_t('Z'), uint8_t(0x8A), uint8_t(0x9F), uint8_t(0xC0),
                    uint8_t(0xFF)})
    EXPECT_TRUE(IsLetter1252(c)) << int(c);
  for (uint8_t c : {uint8_t('0'), uint8_t('\''), uint8_t('-'), uint8_t(' '), uint8_t(0x8E),
                    uint8_t(0xBF), uint8_t(1), uint8_t(10)})
    EXPECT_FALSE(IsLetter1252(c)) << int(c);
}

}  // namespace
}  // namespace quill
