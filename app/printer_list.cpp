#include "app/printer_list.h"

#include <QPrinterInfo>

namespace quill {

namespace {
QStringList& Printers() {
    static QStringList printers;
    return printers;
}
}  // namespace

QStringList FilterPrinterList(const QStringList& systemPrinters) {
    if (systemPrinters.size() == 1 &&
        systemPrinters.front().contains("Rendering", Qt::CaseSensitive))
        return {};
    return systemPrinters;
}

void CheckPrinterList() {
    try {
        Printers() = FilterPrinterList(QPrinterInfo::availablePrinterNames());
    } catch (...) {
        Printers().clear();
    }
}

const QStringList& ProgramPrinters() { return Printers(); }

}  // namespace quill
