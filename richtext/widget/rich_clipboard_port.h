#pragma once
// The editing layer's clipboard port on the system clipboard: RTF under the
// types word processors exchange, plain text beside it.

#include "richtext/input/clipboard_port.h"
#include "richtext/widget/rich_clipboard.h"

namespace quill {

class TRichClipboardPort : public TClipboardPort {
 public:
  explicit TRichClipboardPort(QClipboard* clipboard = nullptr) : clipboard_(clipboard) {}

  void Put(const std::string& rtf, const std::string& plain) override;
  bool Get(std::string& rtf, std::string& plain) override;

 private:
  TRichClipboard clipboard_;
};

}  // namespace quill
