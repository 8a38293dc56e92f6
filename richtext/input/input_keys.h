#pragma once
// Keys as the editing layer sees them, free of any toolkit: the widget maps
// its key events onto these.

#include <cstdint>

namespace quill {

enum class TKey : uint8_t {
  None,  // a key hook cleared the key: nothing to do
  Tab,
  Enter,
  Escape,
  Backspace,
  Delete,
  Insert,
  Home,
  End,
  PageUp,
  PageDown,
  Left,
  Right,
  Up,
  Down,
  A,
  Z,
  Y,
  Other,
};

using TModifiers = uint8_t;
inline constexpr TModifiers kNoModifier = 0;
inline constexpr TModifiers kShift = 0x01;
inline constexpr TModifiers kCtrl = 0x02;
inline constexpr TModifiers kAlt = 0x04;

// What a key or character did, for the widget to act on.
struct TKeyResult {
  bool consumed = false;   // handled here: no character event follows
  bool changed = false;    // the document changed
  bool notify = false;     // raise the editor's change notification
  bool repaint = false;    // repaint the cursor's line (the cursor or selection moved, or text changed)
  bool repaintAll = false; // repaint the whole view: lines moved or paragraphs changed
  bool scrolled = false;   // the view's top or left edge moved
};

}  // namespace quill
