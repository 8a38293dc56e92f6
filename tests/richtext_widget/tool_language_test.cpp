// The control's own texts in both languages and the decimal character.
#include <gtest/gtest.h>

#include "richtext/widget/tool_language.h"

namespace quill {
namespace {

TEST(ToolLanguage, MessageSets) {
  struct Case {
    std::string_view TToolMessages::*field;
    std::string_view english, german;
  };
  const Case cases[] = {
      {&TToolMessages::abortQuestion, "Do you want to abort operation?", "Soll Operation abgebrochen werden?"},
      {&TToolMessages::statusReady, "Ready", "Bereit"},
      {&TToolMessages::statusReading, "reading ...", "beim lesen..."},
      {&TToolMessages::statusWriting, "writing ...", "beim schreiben"},
      {&TToolMessages::statusFormatting, "formatting ...", "beim formatieren"},
      {&TToolMessages::statusAllocating, "initialize memory", "initialisiere speicher..."},
      {&TToolMessages::noSelection, "no text selected", "keine Auswahl markiert"},
      {&TToolMessages::memoryRich, "RICH", "FMT"},
      {&TToolMessages::memoryPlain, "PLAIN", "NORM"},
      {&TToolMessages::internalError, "Internal Error", "Interner Fehler"},
      {&TToolMessages::deleteTabsQuestion, "Delete all tabstops?", "Tabulatoren l\xC3\xB6schen"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToolMessages(tlEnglish).*c.field, c.english);
    EXPECT_EQ(ToolMessages(tlGerman).*c.field, c.german);
  }
  EXPECT_NE(ToolMessages(tlEnglish).fileFilter.find("*.rtf"), std::string_view::npos);
  EXPECT_NE(ToolMessages(tlGerman).fileFilter.find("*.rtf"), std::string_view::npos);
}

TEST(ToolLanguage, DecimalCharacter) {
  EXPECT_EQ(ToolDecimalChar(tlEnglish), '.');
  EXPECT_EQ(ToolDecimalChar(tlGerman), ',');
}

}  // namespace
}  // namespace quill
