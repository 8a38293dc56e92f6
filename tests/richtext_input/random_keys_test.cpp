// Long random key sequences over re-wrapping lines, with the clipboard and
// undo in play: the document and the cursor must stay sound throughout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/richtext_input/input_test_support.h"

namespace quill {
namespace {

using namespace quill::testing;

// Returns an empty string when sound, else what is wrong.
std::string CheckSound(TRTFTextInput& in, TRTFText& doc) {
  const TDocPos c = in.Cursor();
  bool cursorFound = false;
  const TParagraph* prev = nullptr;
  for (const TParagraph* p = doc.firstParagraph; p; p = p->next) {
    if (p->prev != prev) return "paragraph chain broken";
    if (!p->firstLine) return "paragraph without a line";
    for (const TLine* l = p->firstLine; l; l = l->next) {
      if (l->length > l->capacity || l->capacity > kMaxLineCapacity) return "line over its capacity";
      if (l->text[l->length] != 0) return "line text not terminated";
      for (int i = 0; i < l->length; ++i) {
        if (l->text[i] == 0 || l->text[i] == 3 || l->text[i] == 13) return "unstorable byte in a line";
        // The keys type no backslash: one in the text is RTF that leaked in.
        if (l->text[i] == '\\') return "RTF leaked into the text";
      }
      // Every record in use, and an empty line's first, holds a real format.
      for (int i = 0; l->attribs && i < std::max(int(l->length), 1); ++i) {
        const TCharAttr& a = l->attribs[i];
        if (a.font >= doc.header.FontCount() || (a.marks & cmRawRtf) || a.size > 100)
          return "attribute record not from the document";
      }
      if (p == c.paragraph && l == c.line) cursorFound = c.index >= 0 && c.index <= l->length;
    }
    prev = p;
  }
  if (!cursorFound) return "cursor outside the document";
  if (in.HasSelection() && doc.Precedes(in.SelectionEnd(), in.SelectionStart())) return "selection ends out of order";
  return "";
}

TEST(RandomKeys, DocumentAndCursorStaySound) {
  const std::vector<TStroke> strokes = {
      Ch('a'), Ch('b'), Ch(' '), Ch('.'), Ch(8), Ch(13), Ch(12), Ch(127), Ch(3), Ch(22), Ch(24), Ch(27),
      K(TKey::Left), K(TKey::Right), K(TKey::Up), K(TKey::Down), K(TKey::Home), K(TKey::End),
      K(TKey::Left, kShift), K(TKey::Right, kShift), K(TKey::Up, kShift), K(TKey::Down, kShift),
      K(TKey::Left, kCtrl), K(TKey::Right, kCtrl | kShift), K(TKey::Home, kCtrl), K(TKey::End, kCtrl | kShift),
      K(TKey::PageUp), K(TKey::PageDown, kShift), K(TKey::Delete), K(TKey::Delete, kShift),
      K(TKey::Insert), K(TKey::Insert, kShift), K(TKey::Tab), K(TKey::Enter, kCtrl), K(TKey::Z, kCtrl),
      K(TKey::Y, kCtrl), K(TKey::A, kCtrl),
  };
  for (unsigned seed = 1; seed <= 24; ++seed) {
    TInputRig rig("Dear diary,|to{day} I #walked^far.|!cell", 6);
    // Every third run holds plain text without attribute records.
    if (seed % 3 == 0) rig.doc.SetMemoryFormat(fmPlainText);
    rig.input->viewHeight = 40;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, strokes.size() - 1);
    for (int step = 0; step < 1500; ++step) {
      const size_t k = pick(rng);
      Press(*rig.input, {strokes[k]});
      const std::string wrong = CheckSound(*rig.input, rig.doc);
      ASSERT_EQ(wrong, "") << "seed " << seed << " step " << step << " stroke " << k << ": "
                           << Show(*rig.input, rig.doc);
    }
  }
}

}  // namespace
}  // namespace quill
