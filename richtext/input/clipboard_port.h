#pragma once
// The system clipboard as the editing layer uses it. The widget implements
// it; the editing layer turns the selection into RTF and plain text and back.

#include <string>

namespace quill {

class TClipboardPort {
 public:
  virtual ~TClipboardPort() = default;
  // Places both forms: RTF under "Rich Text Format" and plain text.
  virtual void Put(const std::string& rtf, const std::string& plain) = 0;
  // Fetches the clipboard's text: rtf when "Rich Text Format" is there
  // (else empty), plain text otherwise. False when it holds no text.
  virtual bool Get(std::string& rtf, std::string& plain) = 0;
};

}  // namespace quill
