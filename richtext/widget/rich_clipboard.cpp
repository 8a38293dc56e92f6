#include "richtext/widget/rich_clipboard.h"

#include <QGuiApplication>
#include <QMimeData>

#include "richtext/widget/win1252_codec.h"

namespace quill {

namespace {

// Types a paste takes RTF from, in order.
QStringList PasteRtfTypes() {
  return TRichClipboard::RtfMimeTypes() << QStringLiteral("application/rtf");
}

}  // namespace

QStringList TRichClipboard::RtfMimeTypes() { return {QStringLiteral("text/rtf"), QStringLiteral("text/richtext")}; }

TRichClipboard::TRichClipboard(QClipboard* clipboard)
    : clipboard_(clipboard ? clipboard : QGuiApplication::clipboard()) {}

bool TRichClipboard::Copy(const TRTFText& doc, const TTextRange& range, const TWriteOptions& options) {
  const TClipboardContent content = CopySelection(doc, range, options);
  if (content.Empty()) return false;
  Put(content);
  return true;
}

void TRichClipboard::Put(const TClipboardContent& content) {
  auto* data = new QMimeData;
  if (!content.rtf.empty()) {
    const QByteArray rtf(content.rtf.data(), qsizetype(content.rtf.size()));
    for (const QString& type : RtfMimeTypes()) data->setData(type, rtf);
  }
  data->setText(Win1252ToQString(content.plainText));
  clipboard_->setMimeData(data);  // the clipboard owns it
}

TClipboardContent TRichClipboard::Offered() const {
  TClipboardContent content;
  const QMimeData* data = clipboard_->mimeData();
  if (!data) return content;
  for (const QString& type : PasteRtfTypes()) {
    if (!data->hasFormat(type)) continue;
    const QByteArray rtf = data->data(type);
    if (rtf.isEmpty()) continue;
    content.rtf.assign(rtf.constData(), size_t(rtf.size()));
    return content;
  }
  if (data->hasText()) content.plainText = QStringToWin1252(data->text());
  return content;
}

bool TRichClipboard::HasText() const {
  const QMimeData* data = clipboard_->mimeData();
  if (!data) return false;
  for (const QString& type : PasteRtfTypes())
    if (data->hasFormat(type) && !data->data(type).isEmpty()) return true;
  return data->hasText() && !data->text().isEmpty();
}

bool TRichClipboard::Paste(TRTFText& doc, TTextPos& caret) const {
  const TClipboardContent content = Offered();
  if (content.Empty()) return false;
  std::string error;
  const int rc = content.rtf.empty() ? PastePlainText(doc, caret, content.plainText, &error)
                                     : PasteRtf(doc, caret, content.rtf, &error);
  if (rc != 0) throw TRichTextError(error);
  return true;
}

}  // namespace quill
