#pragma once
// The editor control's own message texts in its two languages, and the
// decimal character its own dialogs use.

#include <string_view>

namespace quill {

enum TToolLanguage { tlEnglish = 0, tlGerman = 1 };

// Texts are UTF-8.
struct TToolMessages {
  std::string_view abortQuestion;
  std::string_view statusReady;
  std::string_view statusReading;
  std::string_view statusWriting;
  std::string_view statusFormatting;
  std::string_view statusAllocating;
  std::string_view noSelection;
  std::string_view memoryRich;
  std::string_view memoryPlain;
  std::string_view internalError;
  std::string_view deleteTabsQuestion;
  // File type filter of the control's own open and save dialogs.
  std::string_view fileFilter;
};

const TToolMessages& ToolMessages(TToolLanguage language);

// '.' for English, ',' for German.
char ToolDecimalChar(TToolLanguage language);

}  // namespace quill
