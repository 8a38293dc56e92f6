#pragma once
// Printing a rich text document as one job: on a printer set up by the
// caller (the system printer, or PDF output), or straight into a PDF file
// whose pages have the document's own page size. The header and footer
// handlers draw on the printer's canvas in printer pixels; the document is
// laid out for the screen again afterwards.

#include <QString>

#include "richtext/layout/print_document.h"
#include "richtext/layout/text_paint.h"
#include "richtext/model/rtf_text.h"

class QPrinter;

namespace quill {

// Pixels per inch of the PDF pages.
inline constexpr int kPdfResolution = 600;

// Prints the document laid out by PAINT on PRINTER. False when the printer
// or its output file cannot be opened (nothing was printed); a printer that
// fails in the middle of the job raises std::runtime_error.
bool PrintOnPrinter(TRTFTextPaint& paint, QPrinter& printer, const TPrintHandlers& handlers = {});

// Writes the document to FILENAME as PDF, one page of the document's page
// size for each printed page, the whole page printable. An existing file is
// replaced only by a complete one. False when the file cannot be written.
bool PrintToPdf(TRTFTextPaint& paint, const QString& fileName, const TPrintHandlers& handlers = {},
                int resolution = kPdfResolution);

// The same for a document that no editor shows: it is laid out with Qt's
// fonts at its own resolution, wrapped at the page's text width, before and
// after printing.
bool PrintToPdf(TRTFText& doc, const QString& fileName, const TPrintHandlers& handlers = {},
                int resolution = kPdfResolution);

}  // namespace quill
