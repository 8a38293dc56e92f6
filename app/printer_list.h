#pragma once
// The printers the program counts. A system whose only printer is a
// rendering pseudo-device has no printer to print on.

#include <QStringList>

namespace quill {

QStringList FilterPrinterList(const QStringList& systemPrinters);

// Asks the system once at start; failures leave the list empty.
void CheckPrinterList();
const QStringList& ProgramPrinters();

}  // namespace quill
