#pragma once
// Structural checks of a document after a read: what every other part of the
// engine (layout, writers, editing) takes for granted. Used by the interop
// tests and by the fuzz targets.

#include <string>

#include "richtext/model/rtf_text.h"

namespace quill::testing {

// Empty when the document is sound, else a description of the first fault.
std::string CheckDocumentInvariants(const TRTFText& doc);

}  // namespace quill::testing
