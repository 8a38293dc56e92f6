#pragma once
// What a copy puts on the clipboard and what a paste takes from it, in the
// document's own terms: the selection as RTF and as plain Windows-1252
// text, and clipboard text going into the document at the caret. The Qt
// clipboard carries these bytes (TRichClipboard).

#include <string>
#include <string_view>

#include "richtext/io/rtf_text_io.h"
#include "richtext/io/text_writer.h"
#include "richtext/model/rtf_text.h"

namespace quill {

struct TClipboardContent {
  std::string rtf;        // a whole RTF document holding the selection
  std::string plainText;  // Windows-1252, paragraphs ended by line feeds
  bool Empty() const { return rtf.empty() && plainText.empty(); }
};

// The selection in both forms; empty when the range selects nothing or a
// writer fails.
TClipboardContent CopySelection(const TRTFText& doc, const TTextRange& range, const TWriteOptions& options = {});

// Inserts clipboard text at the caret (into an empty document it becomes the
// content) and moves the caret behind it. 0, or 7 when the text cannot be
// held (the reader's failure, whose text goes to *error when given).
int PasteRtf(TRTFText& doc, TTextPos& caret, std::string_view rtf, std::string* error = nullptr);
int PastePlainText(TRTFText& doc, TTextPos& caret, std::string_view win1252, std::string* error = nullptr);

}  // namespace quill
