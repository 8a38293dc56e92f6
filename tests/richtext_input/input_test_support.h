#pragma once
// Documents laid out as display lines with fixed widths, a layout that
// re-wraps by character count, a clipboard in memory, and a notation that
// shows the cursor and the selection.
//
// Notation: '|' separates paragraphs, '^' display lines; '#' is the cursor.
// A paragraph starting with '%' has a page break before it, with '!' it is a
// table cell. Text in braces {..} is hidden (width 0). Every other
// character is 10 pixels wide; lines are 20 pixels high.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "richtext/input/rtf_text_input.h"

namespace quill::testing {

inline constexpr int kCharWidth = 10;
inline constexpr int kLineHeight = 20;

// Re-wraps a paragraph into lines of at most wrapAt characters (0: keeps
// the lines), sets the widths and the line tops of the whole document.
class TFixedLayout : public TInputLayout {
 public:
  explicit TFixedLayout(TRTFText& doc, int wrapAt = 0) : doc_(doc), wrapAt_(wrapAt) {}
  int Relayout(TParagraph& paragraph) override;
  int relayouts = 0;

 private:
  TRTFText& doc_;
  int wrapAt_;
};

// Sets widths and tops as the fixed layout would, without re-wrapping.
void MeasureAll(TRTFText& doc);

class TMemoryClipboard : public TClipboardPort {
 public:
  void Put(const std::string& r, const std::string& p) override {
    rtf = r;
    plain = p;
    ++puts;
  }
  bool Get(std::string& r, std::string& p) override {
    r = rtf;
    p = plain;
    return !rtf.empty() || !plain.empty();
  }
  std::string rtf, plain;
  int puts = 0;
};

// A document, its layout, a clipboard and the input layer over them.
struct TInputRig {
  explicit TInputRig(std::string_view notation, int wrapAt = 0);
  TRTFText doc;
  TFixedLayout layout;
  TMemoryClipboard clipboard;
  std::unique_ptr<TRTFTextInput> input;
};

// Fills a document from the notation; returns the cursor's place, and
// whether it stands at the end of a wrapped line ('#' right before '^').
TTextPos BuildDocument(TRTFText& doc, std::string_view notation, bool* atLineEnd = nullptr);
// The document in the notation, with '#' at the cursor and '[' ']' around
// the selection.
std::string Show(TRTFTextInput& input, TRTFText& doc);

// One step of a key script.
struct TStroke {
  enum Kind { KeyDown, KeyPress } kind = KeyDown;
  TKey key = TKey::None;
  TModifiers modifiers = kNoModifier;
  uint8_t ch = 0;
};
inline TStroke K(TKey key, TModifiers m = kNoModifier) { return {TStroke::KeyDown, key, m, 0}; }
inline TStroke Ch(char c) { return {TStroke::KeyPress, TKey::None, kNoModifier, uint8_t(c)}; }
// Each character typed.
std::vector<TStroke> Typed(std::string_view text);
// Runs strokes as the widget would: KeyDown, then KeyPress for characters.
TKeyResult Press(TRTFTextInput& input, const std::vector<TStroke>& strokes);

}  // namespace quill::testing
