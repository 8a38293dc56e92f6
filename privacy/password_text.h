#pragma once
// Passwords travel as single-byte Windows-1252 text, the character set of the
// diary's stored texts, so the gate, the preferences and the engine agree on
// the bytes of a password typed on any keyboard.

#include <QString>
#include <string>

namespace quill {

// Characters outside Windows-1252 become "?".
std::string PasswordBytes(const QString& text);
QString PasswordFromBytes(const std::string& bytes);

}  // namespace quill
