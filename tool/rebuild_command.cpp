// quillbook-tool rebuild: the "Rebuild Indexes" menu command from the shell.
// Packs the table (removed entries leave for good) and builds the index from
// scratch, with a progress line.

#include <unistd.h>

#include <iostream>
#include <string>

#include "storage/diary_storage.h"
#include "storage/rebuild_gauge.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

const char* PhaseText(RebuildPhase phase) {
    return phase == RebuildPhase::Pack ? "Permanently removing deleted tasks" : "Rebuilding indexes";
}

// One line per phase. On a terminal the line is redrawn as the gauge moves;
// elsewhere (a pipe, a log) it is written once, when its phase is over.
class ProgressLine {
public:
    ProgressLine(std::ostream& out, bool live) : out_(out), live_(live) {}
    ~ProgressLine() { Finish(); }

    void Start(RebuildPhase phase) {
        Finish();
        gauge_.Start(phase);
        started_ = true;
        shown_ = -1;
        Show();
    }
    void Report(int percent) {
        gauge_.Report(percent);
        Show();
    }
    void Finish() {
        if (!started_) return;
        started_ = false;
        if (live_)
            out_ << '\n';
        else
            out_ << PhaseText(gauge_.Phase()) << ": " << gauge_.Position() << "%\n";
        out_.flush();
    }

private:
    void Show() {
        if (!live_ || gauge_.Position() == shown_) return;
        shown_ = gauge_.Position();
        out_ << '\r' << PhaseText(gauge_.Phase()) << ": " << shown_ << "%";
        out_.flush();
    }

    std::ostream& out_;
    bool live_;
    TRebuildGauge gauge_;
    bool started_ = false;
    int shown_ = -1;
};

int RunRebuild(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: rebuild"};
        const std::string& folder = ctx.diaryFolder;
        RequireTable(folder);
        DiaryStorage s(folder);
        OpenForChanging(s, folder, "cannot open the diary: ",
                        "; nothing was changed (quillbook-tool check lists the damage, quillbook-tool "
                        "repair mends what it can)");
        for (const auto& note : s.OpenNotes()) *ctx.out << "mended: " << note << '\n';
        RebuildResult result;
        {
            ProgressLine line(*ctx.out, ctx.out == &std::cout && ::isatty(STDOUT_FILENO));
            RebuildListener listener;
            listener.phaseStarted = [&](RebuildPhase phase) { line.Start(phase); };
            listener.progress = [&](RebuildPhase, int percent) { line.Report(percent); };
            try {
                result = s.PackAndRebuild(listener);
            } catch (const RebuildError&) {
                line.Finish();
                throw;
            }
        }
        if (!s.LastBackupError().empty()) *ctx.out << "note: " << s.LastBackupError() << '\n';
        if (!result.damage.empty()) *ctx.out << "kept as found: " << result.damage << '\n';
        *ctx.out << "packed and rebuilt: " << result.recordsAfter << " records, "
                 << result.recordsBefore - result.recordsAfter << " removed record(s) gone\n";
        if (!result.beforePack.empty())
            *ctx.out << "the files as they were before are kept in " << result.beforePack
                     << " until the next rebuild\n";
        return 0;
    });
}

static ToolCommandRegistrar rebuildCommand(
    {"rebuild", "rebuild",
     "packs the table (removed entries leave for good) and rebuilds the index, as \"Rebuild Indexes\" does; the "
     "files as they were are kept in backups/before-pack-<time>/",
     RunRebuild});

}  // namespace
}  // namespace quill::tool
