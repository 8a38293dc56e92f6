#pragma once
// Where a print job's pages go: the system printer chosen with "Print
// Setup", or PDF output. PDF output writes one file for a job, or, for the
// separate job, one file per entry with the day's date key added to the
// name ("Diary.pdf" gives "Diary-20240105.pdf").

#include <QString>
#include <QStringList>
#include <string>

#include "print/print_page_setup.h"
#include "richtext/layout/print_document.h"
#include "richtext/layout/text_paint.h"

class QPrinter;

namespace quill {

// Whether the program can print at all: on a system printer, or into a PDF
// file. Only when neither is possible is "No printers installed" shown.
bool CanPrint(const QStringList& systemPrinters, bool pdfOutputPossible);
// Whether Qt can write PDF output here.
bool PdfOutputPossible();

// FILENAME with "-KEY" put before its extension (or at its end when it has
// none).
QString FileNameWithKey(const QString& fileName, const std::string& key);

class TPrintDestination {
 public:
  // PRINTER as "Print Setup" left it; it must outlive this object. When it
  // is set to PDF output, the pages go to PDFFILENAME (asked once by the
  // caller) instead of its own output file.
  TPrintDestination(QPrinter& printer, QString pdfFileName = {});

  bool IsPdf() const { return pdf_; }
  QPrinter& Printer() { return printer_; }
  const QString& PdfFileName() const { return pdfFileName_; }

  // The page the documents are set up for.
  TPrinterPage Page() const;
  // Pixels per inch the pages are drawn at (what the header and footer
  // handlers' coordinates mean).
  int ResolutionX() const;
  int ResolutionY() const;

  // Prints the document of PAINT as one job. KEY, when given, is added to
  // the PDF file's name. False when the printer or the file refused the job
  // (nothing printed; LastTarget says which); a printer that fails part way
  // raises std::runtime_error.
  bool PrintJob(TRTFTextPaint& paint, const TPrintHandlers& handlers, const std::string& key = {});

  // The printer's name or the file of the last job, for messages.
  const QString& LastTarget() const { return lastTarget_; }
  // How many jobs went out, and the files written.
  int JobsPrinted() const { return jobs_; }
  const QStringList& FilesWritten() const { return files_; }

 private:
  QPrinter& printer_;
  bool pdf_;
  QString pdfFileName_;
  QString lastTarget_;
  int jobs_ = 0;
  QStringList files_;
};

}  // namespace quill
