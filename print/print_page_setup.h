#pragma once
// The page set-up of a printed document, taken from the printer: the paper
// size from the printable area and its offsets, in the printer's pixels and
// resolution, and one-inch margins all round.

#include "richtext/model/text_header.h"

class QPrinter;

namespace quill {

// What a printer says about its page, in printer pixels.
struct TPrinterPage {
  int printableWidth = 0;
  int printableHeight = 0;
  int offsetX = 0;  // where the printable area begins on the paper
  int offsetY = 0;
  int resolutionX = 0;  // pixels per inch
  int resolutionY = 0;
};

inline constexpr int kPrintMargin = 1440;  // twips: one inch

// The paper's size in printer pixels: the printable area and the offset of
// its top-left corner on both sides.
int TruePageWidth(const TPrinterPage& page);
int TruePageHeight(const TPrinterPage& page);

// Page width and height in twips (cut, not rounded) and all four margins
// one inch. A page without a resolution leaves the header as it is; false
// then.
bool ApplyPrintPageSize(TTextHeader& header, const TPrinterPage& page);

// The page of PRINTER as it is set up now.
TPrinterPage PrinterPageOf(QPrinter& printer);

}  // namespace quill
