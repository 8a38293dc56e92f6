#include "richtext/widget/rich_clipboard_port.h"

namespace quill {

void TRichClipboardPort::Put(const std::string& rtf, const std::string& plain) {
  TClipboardContent content;
  content.rtf = rtf;
  content.plainText = plain;
  clipboard_.Put(content);
}

bool TRichClipboardPort::Get(std::string& rtf, std::string& plain) {
  const TClipboardContent content = clipboard_.Offered();
  rtf = content.rtf;
  plain = content.rtf.empty() ? content.plainText : std::string();
  return !content.Empty();
}

}  // namespace quill
