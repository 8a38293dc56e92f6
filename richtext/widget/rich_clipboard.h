#pragma once
// The editor's clipboard: a copied selection goes on the system clipboard as
// RTF (under the types word processors such as LibreOffice offer and take)
// and as plain text; a paste takes RTF when offered, else plain text.

#include <QClipboard>
#include <QStringList>

#include "richtext/widget/clipboard_transfer.h"

namespace quill {

class TRichClipboard {
 public:
  // The types RTF is put under; a paste also takes "application/rtf".
  static QStringList RtfMimeTypes();

  explicit TRichClipboard(QClipboard* clipboard = nullptr);

  // Puts the selection on the clipboard; false (clipboard untouched) when
  // the range selects nothing.
  bool Copy(const TRTFText& doc, const TTextRange& range, const TWriteOptions& options = {});
  void Put(const TClipboardContent& content);

  // What a paste would insert: RTF when offered, else the plain text as
  // Windows-1252 (characters outside it become '?').
  TClipboardContent Offered() const;
  // Whether a paste has anything to insert.
  bool HasText() const;
  // Inserts the clipboard's text at the caret and moves the caret behind
  // it. False when there was nothing to paste; raises TRichTextError when
  // the text cannot be held.
  bool Paste(TRTFText& doc, TTextPos& caret) const;

 private:
  QClipboard* clipboard_;
};

}  // namespace quill
