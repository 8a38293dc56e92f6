// Times the main window on a diary of 20,000 entries of about 3 KB, one per
// day up to today: creating the window until today's page is painted, and
// "&Next" from a day with an entry to the next (nothing to save; find, load,
// lay out, paint). Prints the figures and the goals.
#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <algorithm>
#include <random>

#include "app/main_screen.h"
#include "app/message_boxes.h"
#include "bench/storage/bench_common.h"
#include "richtext/widget/rich_text.h"
#include "storage/diary_storage.h"

using namespace quill;
using namespace quill::bench;

namespace {

constexpr int kEntries = 20000;

void FillDiary(const std::string& folder) {
    DiaryStorage s(folder);
    if (!s.OpenDiaryFile()) {
        std::fprintf(stderr, "cannot create the diary: %s\n", s.LastError().c_str());
        std::exit(1);
    }
    s.DailyBackups = false;
    s.DiaryTable.SyncOnPost = false;  // filling only; the timed saves are not measured here
    std::mt19937 rng(20261210);
    Date day = AddDays(Today(), -(kEntries - 1));
    for (int i = 0; i < kEntries; ++i, day = AddDays(day, 1))
        s.AppendNewDay(day, SampleEntry(rng, 2800 + rng() % 512));
}

std::unique_ptr<TMainScreen> OpenWindow(const std::string& folder) {
    MainScreenSetup setup;
    setup.diaryFolder = folder;
    auto w = std::make_unique<TMainScreen>(setup, MakeDiaryStore());
    w->show();
    w->RichText1->Paint();
    QApplication::processEvents();
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    SetAskBoxHandler([](const QString& text, const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) {
        std::fprintf(stderr, "unexpected box: %s\n", text.toStdString().c_str());
        return QMessageBox::No;
    });
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    std::printf("Generating %d entries of about 3 KB...\n", kEntries);
    const auto fillStart = Clock::now();
    FillDiary(folder);
    std::printf("  done in %.1f s; memo file %.1f MB\n\n", MicrosSince(fillStart) / 1e6,
                QFileInfo(QString::fromStdString(folder + kDiaryMemoName)).size() / 1e6);

    // Start-up: the table opened, today's record found, its page loaded, laid
    // out and painted. The first round warms the file cache and the fonts.
    std::vector<double> starts;
    for (int round = 0; round < 8; ++round) {
        const auto t = Clock::now();
        auto w = OpenWindow(folder);
        const double us = MicrosSince(t);
        if (!w->EntryExists || w->RichText1->IsTextEmpty()) {
            std::fprintf(stderr, "today's entry was not shown\n");
            return 1;
        }
        if (round > 0) starts.push_back(us);
    }

    auto w = OpenWindow(folder);
    w->CurrentDate = AddDays(Today(), -kEntries / 2);
    w->FindDateRecord();
    w->LoadRichText();
    std::vector<double> moves;
    for (int i = 0; i < 300; ++i) {
        const auto t = Clock::now();
        w->Nextbutton->click();
        w->RichText1->Paint();
        moves.push_back(MicrosSince(t));
        if (!w->EntryExists) {
            std::fprintf(stderr, "a day without entry in the middle of the diary\n");
            return 1;
        }
    }

    std::printf("%-46s %12s %10s\n", "operation (20,000 entries)", "median", "goal");
    std::printf("%-46s %9.2f ms %7.1f ms\n", "start-up to today's page shown", Median(starts) / 1000, 500.0);
    std::printf("%-46s %9.2f ms %7.1f ms\n", "\"&Next\" to a day with an entry", Median(moves) / 1000, 5.0);
    std::sort(moves.begin(), moves.end());
    std::printf("%-46s %9.2f ms\n", "\"&Next\", slowest of 300", moves.back() / 1000);
    return 0;
}
