#pragma once
// The document's load layer: picks the reader for the input and decides
// whether the text replaces the document or goes in at the caret.

#include <functional>
#include <istream>
#include <string>
#include <string_view>

#include "richtext/model/rtf_text.h"
#include "richtext/model/text_position.h"

namespace quill {

// Plain text longer than this loads in fmPlainText.
inline constexpr size_t kPlainTextLimit = 500000;

class TRTFTextIo {
 public:
  explicit TRTFTextIo(TRTFText& document) : doc_(document) {}

  // Where a load into a non-empty document inserts (none: at the end); moved
  // behind the inserted text.
  TTextPos caret;
  std::string pictureFolder;
  std::function<void(int percent)> onProgress;

  // Each returns 0 on success and 7 on failure; the failure's text stays in
  // lastError. The document keeps what was read before a failure.
  int LoadFromFile(const std::string& path, TLoadFormat format = AutomaticFormat);
  int LoadFromStream(std::istream& in, TLoadFormat format = AutomaticFormat);
  int LoadFromBytes(std::string_view bytes, TLoadFormat format = AutomaticFormat);
  // Clears the document and reads RTF into it, whatever the bytes look like.
  int ReadRTF(std::string_view bytes);

  // FormatRTF, FormatHTML or FormatANSI for the start of an input.
  static TLoadFormat DetectFormat(std::string_view head);

  int lastResult = 0;
  std::string lastError;

 private:
  int Load(std::string_view bytes, TLoadFormat format, bool recordFormat);
  void SpliceAtCaret(TParagraph* chain);
  TRTFText& doc_;
};

// Replaces the document's content by the RTF text; 0 or 7.
int ReadRtfDocument(TRTFText& doc, std::string_view rtf);

}  // namespace quill
