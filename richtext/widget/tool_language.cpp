#include "richtext/widget/tool_language.h"

namespace quill {

namespace {

constexpr TToolMessages kEnglish{
    "Do you want to abort operation?",
    "Ready",
    "reading ...",
    "writing ...",
    "formatting ...",
    "initialize memory",
    "no text selected",
    "RICH",
    "PLAIN",
    "Internal Error",
    "Delete all tabstops?",
    "Rich Text (*.rtf);;HTML (*.htm *.html);;Text (*.txt);;All files (*)",
};

constexpr TToolMessages kGerman{
    "Soll Operation abgebrochen werden?",
    "Bereit",
    "beim lesen...",
    "beim schreiben",
    "beim formatieren",
    "initialisiere speicher...",
    "keine Auswahl markiert",
    "FMT",
    "NORM",
    "Interner Fehler",
    "Tabulatoren l\xC3\xB6schen",
    "Rich Text (*.rtf);;HTML (*.htm *.html);;Text (*.txt);;Alle Dateien (*)",
};

}  // namespace

const TToolMessages& ToolMessages(TToolLanguage language) {
  return language == tlGerman ? kGerman : kEnglish;
}

char ToolDecimalChar(TToolLanguage language) { return language == tlGerman ? ',' : '.'; }

}  // namespace quill
