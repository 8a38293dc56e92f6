#pragma once
// The Windows-1252 codec is plain C++ and lives with the document model, so
// that layers without the editor (the password gate) share it. The Qt side
// adds the two conversions its controls need: document bytes to a QString
// and a control's text back to bytes.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

#include "richtext/model/win1252_codec.h"

namespace quill {

inline QString Win1252ToQString(std::string_view bytes) {
  const std::u16string text = Win1252ToUtf16(bytes);
  return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

// A character outside the code page becomes `replacement` (0: left out).
inline std::string QStringToWin1252(const QString& text, uint8_t replacement = '?') {
  return Utf16ToWin1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())),
                        replacement);
}

}  // namespace quill
