// The "Rebuild Indexes" dialog, off screen: it packs and rebuilds by itself,
// shows what it does, closes by itself, and puts the table back in use when
// the engine fails.

#include "app/rebuild_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/app_test_support.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "storage/entry_text.h"

namespace quill {
namespace {

namespace fs = std::filesystem;

std::string Entry(const std::string& key) {
    return StoredEntryText("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\r\n\\pard\\plain\\f0\\fs20 "
                           "Page of " + key + "\\par }\r\n");
}

// A diary of June 2022 with four days removed, the date order selected and
// a filter set, as the main window might leave it.
struct DiaryFixture {
    QTemporaryDir dir;
    std::string folder = dir.path().toStdString() + "/";
    std::unique_ptr<DiaryStorage> s = std::make_unique<DiaryStorage>(folder);
    std::map<std::string, std::string> live;
    const std::string filter = "DATE <> \"20220601\"";

    DiaryFixture() {
        s->DailyBackups = false;
        EXPECT_TRUE(s->OpenDiaryFile()) << s->LastError();
        for (int d = 1; d <= 30; ++d) {
            const Date day{2022, 6, d};
            s->FindDateRecord(day);
            s->SaveEntry(day, Entry(DateToKey(day)));
            live[DateToKey(day)] = Entry(DateToKey(day));
        }
        for (int d : {3, 9, 17, 28}) {
            const Date day{2022, 6, d};
            s->FindDateRecord(day);
            s->SaveEntry(day, "");
            live.erase(DateToKey(day));
        }
        s->DiaryEngine.SetFilter(filter);
    }

    size_t Records() const { return CheckDiaryFiles(folder).records.size(); }

    // Deleted on, the filter back, date order, and every entry found.
    void ExpectInUse() {
        EXPECT_TRUE(s->XbEnv1.Deleted());
        EXPECT_EQ(s->DiaryEngine.DBFilter(), filter);
        EXPECT_EQ(s->DiaryEngine.IndexOrd(), 1);
        EXPECT_FALSE(s->DiaryTable.ControlsDisabled());
        s->DiaryEngine.SetFilter("");
        for (const auto& [key, text] : live) {
            Date day;
            ASSERT_TRUE(KeyToDate(key, day));
            ASSERT_TRUE(s->FindDateRecord(day)) << key;
            EXPECT_EQ(s->CurrentEntryText(), text) << key;
        }
        EXPECT_FALSE(s->FindDateRecord(Date{2022, 6, 9}));
        s->DiaryEngine.SetFilter(filter);
    }
};

// What the dialog showed while it worked, sampled whenever it let window
// events through.
struct Sample {
    bool gaugeVisible;
    int gauge;
    bool labelVisible;
    QString label;
};

class Sampler {
public:
    explicit Sampler(TRebuildInd& dialog) : dialog_(dialog) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!dialog_.isVisible()) return;
            samples.push_back({dialog_.Gauge1->isVisible(), dialog_.Gauge1->value(), dialog_.WhatAmIDoing->isVisible(),
                               dialog_.WhatAmIDoing->text()});
            if (onSample) onSample(samples.back());
        });
        timer_.start();
    }
    std::vector<Sample> samples;
    std::function<void(const Sample&)> onSample;

    std::vector<QString> Labels() const {
        std::vector<QString> out;
        for (const auto& s : samples)
            if (s.labelVisible && (out.empty() || out.back() != s.label)) out.push_back(s.label);
        return out;
    }
    int HighestGauge(const QString& label) const {
        int top = -1;
        for (const auto& s : samples)
            if (s.label == label && s.gaugeVisible) top = std::max(top, s.gauge);
        return top;
    }

private:
    TRebuildInd& dialog_;
    QTimer timer_;
};

TEST(RebuildDialog, PacksRebuildsAndClosesByItself) {
    DiaryFixture f;
    test::ScriptedBoxes boxes;
    ASSERT_EQ(f.Records(), 30u);
    TRebuildInd dialog(*f.s);
    EXPECT_EQ(dialog.windowTitle(), "Rebuild Indexes");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.WhatAmIDoing->isVisible());
    Sampler sampler(dialog);
    bool escapeSent = false;
    sampler.onSample = [&](const Sample& s) {
        // Escape and a close request in the middle of the pack change nothing.
        if (escapeSent || s.label != kPackingText) return;
        escapeSent = true;
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
    };
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(escapeSent);
    EXPECT_TRUE(dialog.FailureText().isEmpty()) << dialog.FailureText().toStdString();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(sampler.Labels(), (std::vector<QString>{"", kPackingText, kIndexingText}));
    EXPECT_EQ(sampler.HighestGauge(kPackingText), 100);
    EXPECT_EQ(sampler.HighestGauge(kIndexingText), 100);
    EXPECT_FALSE(dialog.Gauge1->isVisible());
    EXPECT_EQ(dialog.Gauge1->value(), 0);

    const auto r = CheckDiaryFiles(f.folder);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.records.size(), 26u);
    f.ExpectInUse();
}

TEST(RebuildDialog, ClosesThroughThePostedRequestAfterTheWork) {
    DiaryFixture f;
    test::ScriptedBoxes boxes;
    TRebuildInd dialog(*f.s);
    dialog.setModal(false);
    dialog.show();  // queues the activation
    dialog.FormActivate();
    EXPECT_FALSE(dialog.Working());
    EXPECT_TRUE(dialog.isVisible()) << "the close is posted, not done inside the activation";
    EXPECT_EQ(f.Records(), 26u);
    std::vector<std::string> kept;
    for (const auto& e : fs::directory_iterator(f.folder + "backups")) kept.push_back(e.path().string());
    ASSERT_EQ(kept.size(), 1u);
    QCoreApplication::processEvents();  // the queued activation, which must not work twice, then the close
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(f.Records(), 26u);
    // A second pack would have replaced the files kept by the first.
    EXPECT_EQ(CheckDiaryFiles(kept[0]).records.size(), 30u);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(RebuildDialog, IndexDeletedByHandIsBuiltAgain) {
    DiaryFixture f;
    test::ScriptedBoxes boxes;
    f.s->DiaryEngine.CloseIndexes();
    fs::remove(f.folder + "QUILLBK.CDX");
    TRebuildInd dialog(*f.s);
    dialog.exec();
    EXPECT_TRUE(dialog.FailureText().isEmpty()) << dialog.FailureText().toStdString();
    EXPECT_TRUE(fs::exists(f.folder + "QUILLBK.CDX"));
    EXPECT_TRUE(CheckDiaryFiles(f.folder).ok());
    f.ExpectInUse();
}

TEST(RebuildDialog, EngineFailureIsReportedAndTheDialogStillCloses) {
    struct Case {
        const char* name;
        const char* pathEnd;
        const char* says;
        size_t records;  // in the table afterwards
    };
    const Case cases[] = {
        {"pack", ".pack-new", "Permanently removing deleted tasks failed", 30},
        {"index", "QUILLBK.CDX.new", "Rebuilding indexes failed", 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiaryFixture f;
        test::ScriptedBoxes boxes;
        const std::string end = c.pathEnd;
        bool armed = false;
        xb::xb_SetWriteFaultHook([&](const std::string& path, std::size_t bytes) -> int {
            const bool match = path.size() >= end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0;
            return armed && match && bytes > 0 ? EIO : 0;
        });
        TRebuildInd dialog(*f.s);
        Sampler sampler(dialog);
        sampler.onSample = [&](const Sample& s) { armed = armed || s.label == kPackingText; };
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        xb::xb_SetWriteFaultHook({});
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].caption, "Rebuild Indexes");
        EXPECT_TRUE(boxes.shown[0].text.contains(c.says)) << boxes.shown[0].text.toStdString();
        EXPECT_TRUE(boxes.shown[0].text.contains("Input/output error")) << boxes.shown[0].text.toStdString();
        EXPECT_EQ(dialog.FailureText(), boxes.shown[0].text);
        EXPECT_FALSE(dialog.Gauge1->isVisible());
        EXPECT_EQ(f.Records(), c.records);
        f.ExpectInUse();
    }
}

TEST(RebuildDialog, MenuCommandSavesFirstAndShowsTheSameDayAfterwards) {
    DiaryFixture f;
    test::ScriptedBoxes boxes;
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 610, 450);
    mainWindow.show();
    SetMainWindowForDialogs(&mainWindow);
    std::vector<std::string> steps;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<TRebuildInd*>(QApplication::activeModalWidget())) {
            steps.push_back("dialog");
            const QPoint centre = d->frameGeometry().center();
            EXPECT_LE(std::abs(centre.x() - mainWindow.frameGeometry().center().x()), 4);
            EXPECT_LE(std::abs(centre.y() - mainWindow.frameGeometry().center().y()), 4);
        }
    });
    RebuildIndexes1Click(
        *f.s, &mainWindow, [&] { steps.push_back("save"); },
        [&] {
            steps.push_back("show");
            // The work moved the current record: the same day is found again.
            EXPECT_TRUE(f.s->FindDateRecord(Date{2022, 6, 14}));
            EXPECT_EQ(f.s->CurrentEntryText(), Entry("20220614"));
        });
    SetMainWindowForDialogs(nullptr);
    EXPECT_EQ(steps, (std::vector<std::string>{"save", "dialog", "show"}));
    EXPECT_EQ(f.Records(), 26u);
}

}  // namespace
}  // namespace quill
