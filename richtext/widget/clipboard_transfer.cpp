#include "richtext/widget/clipboard_transfer.h"

#include "richtext/io/text_save.h"

namespace quill {

namespace {

bool SelectsNothing(const TTextRange& r) {
  return !r.startParagraph || !r.endParagraph ||
         (r.startParagraph == r.endParagraph && r.startLine == r.endLine && r.startPos >= r.endPos);
}

// The plain writer ends paragraphs the Windows way; the clipboard here
// carries line feeds.
std::string WithLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out.push_back(text[i]);
  }
  return out;
}

int Paste(TRTFText& doc, TTextPos& caret, std::string_view bytes, TLoadFormat format, std::string* error) {
  const bool replaces = doc.IsEmpty();
  TRTFTextIo io(doc);
  io.caret = caret;
  const int rc = io.LoadFromBytes(bytes, format);
  if (replaces) {
    TParagraph* last = doc.LastParagraph();
    caret = {last, last->TextLength()};
  } else {
    caret = io.caret;
  }
  if (rc != 0 && error) *error = io.lastError.empty() ? "Internal Error" : io.lastError;
  return rc;
}

}  // namespace

TClipboardContent CopySelection(const TRTFText& doc, const TTextRange& range, const TWriteOptions& options) {
  TClipboardContent content;
  if (SelectsNothing(range)) return content;
  TStringWriteStream rtf, plain;
  if (WriteRange(doc, range, rtf, FormatRTF, options) != kWriteOk ||
      WriteRange(doc, range, plain, FormatANSI, options) != kWriteOk)
    return content;
  content.rtf = std::move(rtf.bytes);
  content.plainText = WithLineFeeds(plain.bytes);
  return content;
}

int PasteRtf(TRTFText& doc, TTextPos& caret, std::string_view rtf, std::string* error) {
  return Paste(doc, caret, rtf, FormatRTF, error);
}

int PastePlainText(TRTFText& doc, TTextPos& caret, std::string_view win1252, std::string* error) {
  return Paste(doc, caret, win1252, FormatANSI, error);
}

}  // namespace quill
