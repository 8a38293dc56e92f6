#pragma once
// Qt's key events in the editing layer's terms: the key and its modifiers
// for KeyDown, and the Windows-1252 characters a key or an input method
// types for KeyPress.

#include <QKeyEvent>
#include <QString>
#include <string>

#include "richtext/input/input_keys.h"

namespace quill {

TKey EditorKeyOf(int qtKey);
TModifiers EditorModifiersOf(Qt::KeyboardModifiers modifiers);

// The character codes the key types: 8 Backspace, 13 Enter, 27 Escape, the
// control codes of Ctrl+C, Ctrl+V and Ctrl+X, else the event's text (none
// while Ctrl or Alt alone is held: those keys are commands, not text).
std::string TypedCharacters(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// Text from an input method (dead keys, compose) as Windows-1252 bytes;
// characters the code page lacks become '?', control characters are left
// out.
std::string CommittedCharacters(const QString& text);

}  // namespace quill
