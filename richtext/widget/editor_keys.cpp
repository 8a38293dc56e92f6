#include "richtext/widget/editor_keys.h"

#include "richtext/widget/win1252_codec.h"

namespace quill {

TKey EditorKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return TKey::Tab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return TKey::Enter;
    case Qt::Key_Escape: return TKey::Escape;
    case Qt::Key_Backspace: return TKey::Backspace;
    case Qt::Key_Delete: return TKey::Delete;
    case Qt::Key_Insert: return TKey::Insert;
    case Qt::Key_Home: return TKey::Home;
    case Qt::Key_End: return TKey::End;
    case Qt::Key_PageUp: return TKey::PageUp;
    case Qt::Key_PageDown: return TKey::PageDown;
    case Qt::Key_Left: return TKey::Left;
    case Qt::Key_Right: return TKey::Right;
    case Qt::Key_Up: return TKey::Up;
    case Qt::Key_Down: return TKey::Down;
    case Qt::Key_Z: return TKey::Z;
    case Qt::Key_Y: return TKey::Y;
    default: return TKey::Other;
  }
}

TModifiers EditorModifiersOf(Qt::KeyboardModifiers modifiers) {
  TModifiers m = kNoModifier;
  if (modifiers & Qt::ShiftModifier) m |= kShift;
  if (modifiers & Qt::ControlModifier) m |= kCtrl;
  if (modifiers & Qt::AltModifier) m |= kAlt;
  return m;
}

std::string TypedCharacters(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool alt = modifiers & Qt::AltModifier;
  switch (qtKey) {
    case Qt::Key_Backspace: return alt ? std::string() : std::string(1, '\b');
    case Qt::Key_Return:
    case Qt::Key_Enter: return alt || ctrl ? std::string() : std::string(1, '\r');
    case Qt::Key_Escape: return std::string(1, '\x1b');
    default: break;
  }
  // Ctrl with Alt is AltGr on some keyboards: that types text.
  if (ctrl && !alt) {
    switch (qtKey) {
      case Qt::Key_C: return std::string(1, '\x03');
      case Qt::Key_V: return std::string(1, '\x16');
      case Qt::Key_X: return std::string(1, '\x18');
      default: return {};
    }
  }
  if (alt && !ctrl) return {};
  return CommittedCharacters(text);
}

std::string CommittedCharacters(const QString& text) {
  const std::string bytes = QStringToWin1252(text);
  std::string out;
  for (char c : bytes) {
    const auto b = uint8_t(c);
    if (b >= 32 && b != 127) out.push_back(c);
  }
  return out;
}

}  // namespace quill
