// Windows-1252 to Unicode and back.
#include <gtest/gtest.h>

#include "richtext/model/win1252_codec.h"

namespace quill {
namespace {

TEST(Win1252Codec, BytesMapToTheirCharacters) {
  struct Case {
    uint8_t byte;
    char32_t ch;
  };
  const Case cases[] = {{'A', U'A'}, {0x80, U'\u20AC'}, {0x85, U'\u2026'}, {0x93, U'\u201C'},
                        {0x9F, U'\u0178'}, {0xA0, U'\u00A0'}, {0xE9, U'\u00E9'}, {0xFF, U'\u00FF'},
                        {0x81, U'\u0081'}, {0x9D, U'\u009D'}, {0x09, U'\t'}};
  for (const auto& c : cases) {
    EXPECT_EQ(Win1252ToUnicode(c.byte), c.ch) << int(c.byte);
    EXPECT_EQ(UnicodeToWin1252(c.ch), c.byte) << int(c.byte);
  }
}

TEST(Win1252Codec, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(char(b));
  EXPECT_EQ(Utf16ToWin1252(Win1252ToUtf16(all)), all);
}

TEST(Win1252Codec, CharactersOutsideTheCodePageBecomeTheReplacement) {
  // A C1 control that 1252 gives a printable character to, CJK, an emoji
  // (one surrogate pair is one character), and a lone surrogate.
  const std::u16string text = u"a\u0080b\u4E2Dc\U0001F600d\xD800" u"e";
  EXPECT_EQ(Utf16ToWin1252(text), "a?b?c?d?e");
  EXPECT_EQ(Utf16ToWin1252(u"\u20AC\u00E4", '#'), "\x80\xE4");
}

}  // namespace
}  // namespace quill
