#pragma once
// Asking where printing to PDF puts its file: once per print command, in a
// save dialog. Tests answer with a handler of their own.

#include <QString>
#include <functional>

class QWidget;

namespace quill {

// Returns the chosen file name, empty when the user cancelled.
using PdfFileAsker = std::function<QString(QWidget* parent, const QString& suggested)>;

// Replaces the dialog; an empty handler brings the dialog back.
void SetPdfFileAsker(PdfFileAsker asker);

QString AskPdfFileName(QWidget* parent, const QString& suggested);

}  // namespace quill
