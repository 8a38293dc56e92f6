#pragma once
// Structural checks of a document after a read: what every other part of the
// engine (layout, writers, editing) takes for granted. Used by the interop
// tests and by the fuzz targets.

#include <string>

#include "richtext/model/rtf_text.h"

namespace quill::testing {

struct InvariantChecks {
  // Codes 0 and 3, which the model never holds as text, are absent.
  bool controlCodes = true;
  // Every character's font index names a used font entry (or 99, the index
  // a full font table gives).
  bool fontEntries = true;
  // Every object character names an existing object.
  bool objectCharacters = true;
};

// The checks a fuzzing run makes: all of them, less those named in
// QB_FUZZ_LENIENT (fonts, codes, objects), so that a session can go on
// looking for new findings while one already reported is being mended.
InvariantChecks FuzzInvariantChecks();

// Empty when the document is sound, else a description of the first fault.
std::string CheckDocumentInvariants(const TRTFText& doc, const InvariantChecks& checks = {});

}  // namespace quill::testing
