// quillbook-tool pdf: the merged print job (or, with --separate, one file
// per entry) from the shell, into PDF, as the print menu commands do it.
// Qt draws the pages off screen, so the command needs no display.

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "print/print_destination.h"
#include "print/print_status_form.h"
#include "print/storage_print_source.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

constexpr const char* kUsage = "usage: pdf [--separate] FROM [TO] FILE.pdf (FROM and TO as yyyymmdd)";

// Opens the diary for reading only (printing changes nothing in it), with
// the password asked for a protected one; printing needs the date order.
std::unique_ptr<DiaryStorage> OpenToPrint(ToolContext& ctx) {
    bool haveIndex = false;
    auto s = OpenForReading(ctx.diaryFolder, haveIndex, &ctx);
    if (!haveIndex)
        throw Failure{1, std::string("the diary's index ") + kDiaryIndexName +
                             " is missing; run 'quillbook-tool rebuild' first"};
    return s;
}

// The widgets of the print dialog need an application object; off screen
// unless the caller chose a platform. It must outlive every widget.
std::unique_ptr<QApplication> MakeApplication() {
    if (QCoreApplication::instance()) return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quillbook-tool";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

int RunPdf(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        bool separate = false;
        std::vector<std::string> words;
        for (const auto& a : ctx.args) {
            if (a == "--separate")
                separate = true;
            else
                words.push_back(a);
        }
        if (words.size() < 2 || words.size() > 3) throw Failure{2, kUsage};
        const Date from = DayArgument(words[0]);
        const Date to = words.size() == 3 ? DayArgument(words[1]) : from;
        if (to < from) throw Failure{2, "TO (" + words[1] + ") is before FROM (" + words[0] + ")"};
        const std::string file = words.back();
        if (file.empty() || file.back() == '/') throw Failure{2, kUsage};

        auto storage = OpenToPrint(ctx);
        const std::unique_ptr<QApplication> app = MakeApplication();
        QTemporaryDir scratch;
        if (!scratch.isValid()) throw Failure{1, "cannot create a temporary folder"};

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        TPrintDestination destination(printer, QString::fromLocal8Bit(file.c_str()));
        TStoragePrintSource source(*storage);
        TPrintStatusForm form;
        form.Mode = separate ? kModeMultipleSeparate : kModeMultipleMerge;
        form.StartDate = from;
        form.EndDate = to;
        form.Entries = &source;
        form.Destination = &destination;
        form.ScratchFolder = scratch.path().toStdString() + "/";
        // A protected diary's text is not written out in the clear, even to /tmp.
        form.LoadFromMemory = storage->Protected();
        form.FormActivate();

        const QString status = form.StatusText();
        if (status != kStatusCompleted) throw Failure{1, status.toStdString()};
        for (const QString& f : destination.FilesWritten()) *ctx.out << "wrote " << f.toStdString() << '\n';
        if (destination.FilesWritten().isEmpty()) *ctx.out << "no entries between " << words[0] << " and "
                                                             << (words.size() == 3 ? words[1] : words[0])
                                                             << "; nothing printed\n";
        return 0;
    });
}

static ToolCommandRegistrar pdfCommand(
    {"pdf", "pdf [--separate] FROM [TO] FILE.pdf",
     "prints the entries from FROM through TO (default: FROM only) into FILE.pdf as \"Print From Current Entry "
     "Forward - Merged\" does; --separate writes one file per entry, named FILE-yyyymmdd.pdf",
     RunPdf});

}  // namespace
}  // namespace quill::tool
