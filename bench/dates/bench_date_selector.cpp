// Opening the date selector on a month in which every day has an entry, in
// a diary of 10,000 entries: creating the dialog, the month's lookup (one
// seek per day) and the first painting of the grid. Drawn off screen unless
// QT_QPA_PLATFORM says otherwise. Prints a table of figures.
//
//   bench_date_selector [ENTRIES]

#include <stdlib.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_figures.h"
#include "dates/selector/date_selector.h"
#include "storage/days_with_entries.h"
#include "storage/diary_storage.h"
#include "storage/entry_text.h"

namespace {

using namespace quill;
using Clock = bench::WallClock;
using bench::MillisSince;

// The rounds are odd in number, so this is the middle sample.
double Median(std::vector<double> v) { return bench::Percentile(std::move(v), 0.5); }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;

    std::string tmpl = (std::filesystem::temp_directory_path() / "quill-bench-dates-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 1;
    const std::string folder = tmpl + "/";
    // Consecutive days ending with the whole of December 2024.
    const Date last{2024, 12, 31};
    const Date first = AddDays(last, -(count - 1));
    {
        DiaryStorage s(folder);
        s.DailyBackups = false;
        if (!s.OpenDiaryFile()) return 1;
        s.DiaryTable.SyncOnPost = false;  // building the sample only
        for (int i = 0; i < count; ++i) {
            const Date day = AddDays(first, i);
            s.FindDateRecord(day);
            s.SaveEntry(day, StoredEntryText("{\\rtf1\\ansi\\deff0 Day " + DateToKey(day) + "\\par }"));
        }
    }
    DiaryStorage s(folder);
    if (!s.OpenDiaryFile()) return 1;
    const Date shown{2024, 12, 15};
    s.FindDateRecord(shown);

    // The program has drawn its main window (buttons, bold Arial captions)
    // before the dialog ever opens: Qt's one-time set-up of fonts and style
    // is paid there, not here.
    {
        QWidget window;
        QFont bold("Arial");
        bold.setBold(true);
        bold.setPixelSize(13);
        window.setFont(bold);
        auto* column = new QVBoxLayout(&window);
        column->addWidget(new QLabel("Thursday, 12 December 2024"));
        column->addWidget(new QPushButton("&Next"));
        window.show();
        QPixmap target(window.size());
        window.render(&target);
    }

    const int rounds = 41;
    std::vector<double> lookup, open, paint, whole;
    bool ok = true;
    for (int r = 0; r < rounds; ++r) {
        std::vector<std::string> days;
        auto t0 = Clock::now();
        GetDaysWithEntries(s, days, 2024, 12);
        lookup.push_back(MillisSince(t0));
        ok = ok && days.size() == 31;

        t0 = Clock::now();
        {
            TDateSelector dlg;
            dlg.InitialDate = shown;
            dlg.Lookup = [&](std::vector<std::string>& d, int y, int m) { GetDaysWithEntries(s, d, y, m); };
            dlg.show();  // the first activation looks the month up
            open.push_back(MillisSince(t0));
            const auto t1 = Clock::now();
            QPixmap target(dlg.size());
            dlg.render(&target);  // everything the first paint draws
            paint.push_back(MillisSince(t1));
            whole.push_back(MillisSince(t0));
            ok = ok && dlg.MarkedDays().size() == 31;
        }
        ok = ok && s.DiaryTable.FieldText("DATE") == DateToKey(shown);
    }
    std::filesystem::remove_all(folder);

    std::printf("date selector: a month of 31 entries in a diary of %d entries (median of %d)\n", count, rounds);
    std::printf("%-46s %10s %10s\n", "operation", "ms", "goal ms");
    std::printf("%-46s %10.3f %10s\n", "month lookup (31 seeks, position kept)", Median(lookup), "");
    std::printf("%-46s %10.3f %10s\n", "create and show the dialog (lookup included)", Median(open), "");
    std::printf("%-46s %10.3f %10s\n", "first paint of the whole dialog", Median(paint), "");
    std::printf("%-46s %10.3f %10s\n", "opening, all of the above", Median(whole), "5");
    std::printf("%-46s %10.3f %10s\n", "the first opening (after the main window)", whole.front(), "5");
    std::printf("%-46s %10.3f %10s\n", "  of which: create, show and look up", open.front(), "");
    std::printf("%-46s %10.3f %10s\n", "  first paint", paint.front(), "");
    if (!ok) {
        std::printf("WRONG RESULT: marks or the data set's position are not as they should be\n");
        return 1;
    }
    return 0;
}
