// Font table, ruler grid and tab stop table of the document header.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "richtext/model/rtf_text.h"

namespace quill {
namespace {

TEST(FontTable, MatchesIgnoringCaseAndCutsTo31Characters) {
  TTextHeader h;
  EXPECT_EQ(h.InternFont("Arial"), 0);
  EXPECT_EQ(h.InternFont("ARIAL"), 0);
  EXPECT_EQ(h.InternFont("Times New Roman"), 1);
  const std::string longName(40, 'x');
  EXPECT_EQ(h.InternFont(longName), 2);
  EXPECT_EQ(h.FontName(2), std::string(31, 'x'));
  // A name that only differs after the 31st character is the same font.
  EXPECT_EQ(h.InternFont(std::string(31, 'X') + "different"), 2);
  EXPECT_EQ(h.FontCount(), 3);
}

TEST(FontTable, HoldsAtMost99Fonts) {
  TTextHeader h;
  for (int i = 0; i < 99; ++i) ASSERT_EQ(h.InternFont("Font" + std::to_string(i)), i);
  EXPECT_EQ(h.InternFont("OneTooMany"), 99);
  EXPECT_EQ(h.FontCount(), 99);
  EXPECT_EQ(h.InternFont("font42"), 42);  // existing names are still found
}

struct SnapCase {
  bool inch;
  int resolution;
  int32_t value;
  int32_t expected;
};

TEST(SnapToGrid, RoundsToTheRulerGrid) {
  const SnapCase cases[] = {
      {true, 96, 900, 864}, {true, 96, 71, 144},  {true, 96, 70, 0},     {true, 96, 144, 144},
      {true, 96, 720, 720}, {true, 96, 360, 432}, {false, 96, 900, 846}, {false, 96, 70, 141},
      {true, 0, 901, 901},  // without a resolution the value stays
  };
  for (const auto& c : cases) {
    TTextHeader h;
    h.rulerInch = c.inch;
    h.resolutionX = c.resolution;
    EXPECT_EQ(h.SnapToGrid(c.value), c.expected) << c.value << (c.inch ? " inch" : " cm");
  }
}

TEST(SnapToGrid, HugeValuesDoNotOverflow) {
  TTextHeader h;
  h.resolutionX = 96;
  EXPECT_GT(h.SnapToGrid(INT32_MAX), 0);
}

TEST(TabTable, NewStopIsSnappedAndFoundAgain) {
  TTextHeader h;
  h.resolutionX = 96;
  const uint32_t bit = h.FindOrAddTab(900, tkLeft);
  ASSERT_EQ(bit, 1u);
  EXPECT_EQ(h.tabPositions[0], 864);
  EXPECT_EQ(h.tabPixels[0], 864 * 96 / 1440);
  EXPECT_EQ(h.FindOrAddTab(900, tkLeft), bit);
  EXPECT_EQ(h.FindOrAddTab(864, kAnyTabKind), bit);
  // Same place, other kind: a stop of its own.
  EXPECT_EQ(h.FindOrAddTab(864, tkRight), 2u);
  EXPECT_EQ(h.tabKinds[1], tkRight);
  // Kind 4 stores the default kind.
  EXPECT_EQ(h.FindOrAddTab(2880, kAnyTabKind), 4u);
  EXPECT_EQ(h.tabKinds[2], h.defaultTabKind);
}

TEST(TabTable, NonPositiveAndMarginPositionsGiveNoStop) {
  TTextHeader h;
  h.resolutionX = 96;
  EXPECT_EQ(h.FindOrAddTab(0, tkLeft), 0u);
  EXPECT_EQ(h.FindOrAddTab(-5, tkLeft), 0u);
  // 70 twips snaps to 0, which would mark the entry free.
  EXPECT_EQ(h.FindOrAddTab(70, tkLeft), 0u);
  EXPECT_EQ(h.tabPositions[0], 0);
}

TEST(TabTable, The32ndStopIsNotStored) {
  TTextHeader h;
  for (int i = 0; i < kTabCount; ++i) ASSERT_EQ(h.FindOrAddTab(100 * (i + 1), tkLeft), 1u << i);
  EXPECT_EQ(h.FindOrAddTab(100 * 40, tkLeft), 0u);
  EXPECT_EQ(h.FindOrAddTab(100 * 5, tkLeft), 1u << 4);  // known stops still found
}

TEST(TabTable, FullTableAsksItsOwnerOnceToFreeEntries) {
  TTextHeader h;
  for (int i = 0; i < kTabCount; ++i) h.FindOrAddTab(100 * (i + 1), tkLeft);
  int calls = 0;
  h.freeUnusedTabs = [&] {
    ++calls;
    h.tabPositions[7] = 0;
  };
  EXPECT_EQ(h.FindOrAddTab(9999, tkLeft), 1u << 7);
  EXPECT_EQ(h.tabPositions[7], 9999);
  EXPECT_EQ(calls, 1);
  h.freeUnusedTabs = [&] { ++calls; };
  EXPECT_EQ(h.FindOrAddTab(8888, tkLeft), 0u);
  EXPECT_EQ(calls, 2);
}

// The tab callback reaches into the header's owner. A copied header must not
// call into the document it was copied from, which may be gone by then.
TEST(Header, CopyKeepsTheTargetsOwnTabCallback) {
  auto source = std::make_unique<TRTFText>();
  for (int i = 0; i < kTabCount; ++i) ASSERT_NE(source->header.FindOrAddTab(1440 * (i + 1), tkLeft), 0u);
  TRTFText target;
  target.header = source->header;  // a full table
  target.firstParagraph->tabMask = 1u << 0;  // only the first stop is used here
  TTextHeader loose(source->header);
  source.reset();

  // The target's own callback frees the stops its paragraphs do not use.
  EXPECT_EQ(target.header.FindOrAddTab(99999, tkLeft), 1u << 1);
  EXPECT_EQ(target.header.tabPositions[0], 1440);
  EXPECT_EQ(target.header.tabPositions[1], 99999);
  EXPECT_EQ(target.header.tabPositions[2], 0);
  // A copy without an owner has nobody to ask: its full table stays full.
  EXPECT_EQ(loose.FindOrAddTab(99999, tkLeft), 0u);
  EXPECT_EQ(loose.tabPositions[kTabCount - 1], 1440 * kTabCount);
}

TEST(Header, DefaultsAndTextSize) {
  TTextHeader h;
  EXPECT_EQ(h.colorTable[1], MakeRGB(255, 0, 0));
  EXPECT_EQ(h.colorTable[13], MakeRGB(192, 192, 192));
  EXPECT_EQ(h.pageWidth, 12240);
  EXPECT_EQ(h.marginLeft, 1880);
  EXPECT_EQ(h.decimalChar, '.');
  h.resolutionX = h.resolutionY = 96;
  h.RecomputeTextSize();
  EXPECT_EQ(h.textWidthPixels, (12240 - 2 * 1880) * 96 / 1440);
  EXPECT_EQ(h.textHeightPixels, (15840 - 2 * 1440) * 96 / 1440);
  EXPECT_EQ(h.defaultTabInterval, 96 * 100 / 300);
  h.SetRulerUnit(Centimeter);
  EXPECT_EQ(h.defaultTabInterval, 96 * 100 / 254);
}

}  // namespace
}  // namespace quill
