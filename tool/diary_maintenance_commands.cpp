// quillbook-tool commands that mend and keep the diary: repair, backups,
// restore.

#include <iostream>
#include <string>

#include "storage/diary_backups.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

// Throws when a running program holds the diary; damage is not this
// check's business.
void RequireNotInUse(const std::string& folder) {
    if (!FileExistsNoCase(folder, kDiaryTableName)) return;
    DiaryStorage probe(folder);
    probe.DiaryTable.TableName = kDiaryTableName;
    probe.DiaryTable.DatabaseName = folder;
    probe.DiaryTable.ReadOnly = true;  // changes nothing, and a running program's lock refuses it
    try {
        probe.DiaryTable.Open();
    } catch (const TXbError& e) {
        if (e.Code() == xb::XB_ERR_LOCKED) throw Failure{1, InUse(folder)};
    }
}

int RunRepair(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: repair"};
        const std::string& folder = ctx.diaryFolder;
        RequireTable(folder);
        RequireNotInUse(folder);
        const std::string copy = folder + kBackupFolderName + "/" + TimestampedName("before-repair") + "/";
        CopyDiaryFiles(folder, copy);
        *ctx.out << "kept a copy of the files as they were in " << copy << '\n';
        int kept = 0;
        {
            DiaryStorage s(folder);
            s.DailyBackups = false;  // the copy above is this change's backup
            OpenForChanging(s, folder, "cannot repair the diary: ",
                            "; the files are unchanged. Restore a backup (quillbook-tool backups, "
                            "quillbook-tool restore DATE).");
            for (const auto& note : s.OpenNotes()) *ctx.out << "mended: " << note << '\n';
            const std::string damage = s.RebuildDiary();
            if (!damage.empty()) *ctx.out << "kept as found: " << damage << '\n';
            *ctx.out << "packed the table and rebuilt the index\n";
        }
        const DiaryCheckReport r = CheckDiaryFiles(folder);
        size_t live = 0;
        for (const auto& rec : r.records) live += rec.deleted ? 0 : 1;
        for (const auto& p : r.problems) {
            *ctx.out << "still damaged: " << p << '\n';
            ++kept;
        }
        if (kept) {
            *ctx.out << kept << " problem(s) remain: the days named above keep their date but their text cannot be "
                     << "read; the copy in " << copy << " and the daily backups hold what was there\n";
            return 1;
        }
        *ctx.out << "ok: " << live << " entries\n";
        return 0;
    });
}

int RunBackups(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: backups"};
        const auto all = ListBackups(ctx.diaryFolder);
        if (all.empty()) {
            *ctx.out << "no backups in " << ctx.diaryFolder << kBackupFolderName << "/\n";
            return 0;
        }
        for (const auto& b : all) {
            *ctx.out << b.name << '\t' << b.files.size() << " files\t" << b.bytes << " bytes";
            if (!b.daily) *ctx.out << "\t(kept aside; restore it by copying its files back by hand)";
            *ctx.out << '\n';
        }
        return 0;
    });
}

int RunRestore(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (ctx.args.size() != 1) throw Failure{2, "usage: restore DATE (a daily backup, as 'backups' lists it)"};
        const Date day = DayArgument(ctx.args[0]);
        std::error_code ec;
        if (!std::filesystem::is_directory(ctx.diaryFolder, ec)) throw Failure{1, "no diary folder " + ctx.diaryFolder};
        RequireNotInUse(ctx.diaryFolder);
        const std::string aside = RestoreBackup(ctx.diaryFolder, day);
        *ctx.out << "restored the backup of " << ctx.args[0] << "; the files it replaced are in " << aside << '\n';
        return 0;
    });
}

static ToolCommandRegistrar repairCommand(
    {"repair", "repair",
     "keeps a copy of the diary's files, then salvages what is readable and rebuilds the index; non-zero exit when "
     "damage remains",
     RunRepair});
static ToolCommandRegistrar backupsCommand(
    {"backups", "backups", "lists the copies kept in the diary folder's backups/", RunBackups});
static ToolCommandRegistrar restoreCommand(
    {"restore", "restore DATE", "puts DATE's daily backup back, after keeping the current files aside", RunRestore});

}  // namespace
}  // namespace quill::tool
