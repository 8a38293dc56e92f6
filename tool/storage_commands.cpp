// quillbook-tool commands over the diary table: list, show, put, check.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "dates/date_keys.h"
#include "storage/diary_file_check.h"
#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "storage/entry_text.h"
#include "storage/folder_files.h"
#include "storage/xb_error.h"
#include "tool/password_prompt.h"
#include "tool/storage_tool_support.h"
#include "tool/tool_registry.h"

namespace quill::tool {
namespace {

struct Listed {
    std::string key;
    size_t size;
    std::string damage;  // why the text cannot be read; "" when it can
};

// Every entry, each read on its own: one damaged memo must not hide the rest.
std::vector<Listed> ListEntries(DiaryStorage& s, bool sorted) {
    std::vector<Listed> out;
    for (s.DiaryTable.First(); !s.DiaryTable.Eof(); s.DiaryTable.Next()) {
        const std::string key = s.DiaryTable.FieldText("DATE");
        if (key.empty()) continue;
        try {
            out.push_back({key, s.DiaryTable.FieldText("ENTRY").size(), {}});
        } catch (const TXbError& e) {
            out.push_back({key, 0, e.FullText()});
        }
    }
    if (!sorted) std::stable_sort(out.begin(), out.end(), [](const Listed& a, const Listed& b) { return a.key < b.key; });
    return out;
}

int RunList(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: list"};
        bool haveIndex = false;
        auto s = OpenForReading(ctx.diaryFolder, haveIndex, &ctx);
        int damaged = 0;
        for (const auto& e : ListEntries(*s, haveIndex)) {
            if (e.damage.empty()) {
                *ctx.out << e.key << '\t' << e.size << '\n';
                continue;
            }
            *ctx.out << e.key << "\tdamaged\n";
            *ctx.err << "quillbook-tool: the text of " << e.key << " cannot be read: " << e.damage << "\n";
            ++damaged;
        }
        if (!haveIndex) *ctx.err << "quillbook-tool: note: " << kDiaryIndexName << " is missing; listed by scanning\n";
        if (damaged) {
            *ctx.err << "quillbook-tool: " << damaged << " damaged entr" << (damaged == 1 ? "y" : "ies")
                     << "; run 'quillbook-tool check' and 'quillbook-tool repair'\n";
            return 1;
        }
        return 0;
    });
}

int RunShow(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (ctx.args.size() != 1) throw Failure{2, "usage: show DATE"};
        const Date day = DayArgument(ctx.args[0]);
        bool haveIndex = false;
        auto s = OpenForReading(ctx.diaryFolder, haveIndex, &ctx);
        bool found = false;
        if (haveIndex) {
            found = s->FindDateRecord(day);
        } else {
            s->DiaryTable.First();
            while (!s->DiaryTable.Eof() && !(found = s->DiaryTable.FieldText("DATE") == ctx.args[0]))
                s->DiaryTable.Next();
            s->EntryExists = found;
        }
        if (!found) throw Failure{1, "no entry for " + ctx.args[0]};
        const std::string text = s->DiaryTable.FieldText("ENTRY");
        ctx.out->write(text.data(), std::streamsize(text.size()));
        ctx.out->flush();
        return ctx.out->good() ? 0 : 1;
    });
}

int RunPut(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (ctx.args.size() != 2) throw Failure{2, "usage: put DATE FILE (FILE '-' reads standard input)"};
        const Date day = DayArgument(ctx.args[0]);
        auto readEntry = [&ctx] {
            std::string bytes;
            if (ctx.args[1] == "-") {
                bytes.assign(std::istreambuf_iterator<char>(*ctx.in), std::istreambuf_iterator<char>());
            } else {
                std::ifstream in(ctx.args[1], std::ios::binary);
                if (!in) throw Failure{1, "cannot open file " + ctx.args[1]};
                bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                if (in.bad()) throw Failure{1, "cannot read file " + ctx.args[1]};
            }
            return bytes;
        };
        // A folder with no diary gets one, as at the program's first start
        // (the folder is the user's alone); a new diary has no password, so
        // a named file can be read first: nothing to store needs no diary.
        const bool created = !FileExistsNoCase(ctx.diaryFolder, kDiaryTableName);
        std::string bytes;
        bool haveBytes = false;
        if (created && ctx.args[1] != "-") {
            bytes = readEntry();
            haveBytes = true;
            if (bytes.empty()) {
                *ctx.out << "no entry to remove for " << ctx.args[0] << " (no diary in " << ctx.diaryFolder << ")\n";
                return 0;
            }
        }
        if (created && !CreateDiaryFolder(ctx.diaryFolder))
            throw Failure{1, "cannot create the diary folder " + ctx.diaryFolder};
        // The diary is opened and its password asked first: with
        // --password-stdin the password is the first line, the entry the rest.
        DiaryStorage s(ctx.diaryFolder);
        OpenForChanging(s, ctx.diaryFolder, "cannot open the diary: ");
        if (created) *ctx.out << "created a new diary in " << ctx.diaryFolder << '\n';
        UnlockDiary(ctx, s);
        if (!haveBytes) bytes = readEntry();
        if (bytes.find('\0') != std::string::npos)
            throw Failure{1, ctx.args[1] + " holds a NUL byte; an entry is RTF text and cannot hold one"};
        const bool existed = s.FindDateRecord(day);
        const std::string stored = bytes.empty() ? std::string() : StoredEntryText(bytes);
        s.SaveEntry(day, stored);
        if (stored.empty())
            *ctx.out << (existed ? "removed the entry of " : "no entry to remove for ") << ctx.args[0] << '\n';
        else
            *ctx.out << (existed ? "updated " : "added ") << ctx.args[0] << " (" << stored.size() << " bytes)\n";
        return 0;
    });
}

int RunCheck(ToolContext& ctx) {
    return Guarded(ctx, [&] {
        if (!ctx.args.empty()) throw Failure{2, "usage: check"};
        RequireTable(ctx.diaryFolder);
        DiaryCheckReport r = CheckDiaryFiles(ctx.diaryFolder);
        std::vector<std::string> problems = r.problems;
        // The engine must agree with the files: every live entry found by
        // its key, on its own record, with the same text.
        size_t live = 0, removed = 0;
        for (const auto& rec : r.records) (rec.deleted ? removed : live) += 1;
        try {
            bool haveIndex = false;
            auto s = OpenForReading(ctx.diaryFolder, haveIndex);
            // A protected diary's texts are sealed: only keys and records
            // are compared, which needs no password.
            const bool sealed = s->Protected();
            if (haveIndex && !r.encrypted) {
                for (const auto& rec : r.records) {
                    if (rec.deleted || rec.key.empty()) continue;
                    Date day;
                    if (!KeyToDate(rec.key, day)) continue;
                    if (!s->FindDateRecord(day)) {
                        problems.push_back("engine: seek does not find " + rec.key);
                    } else if (s->DiaryTable.RecNo() != long(rec.recNo)) {
                        problems.push_back("engine: seek for " + rec.key + " lands on record " +
                                           std::to_string(s->DiaryTable.RecNo()) + ", not " + std::to_string(rec.recNo));
                    } else {
                        try {
                            if (!sealed && s->CurrentEntryText() != rec.memo)
                                problems.push_back("engine: the text of " + rec.key + " differs from the memo file");
                        } catch (const TXbError& e) {
                            problems.push_back("engine: the text of " + rec.key + " cannot be read: " + e.FullText());
                        }
                    }
                }
                size_t walked = 0;
                std::string prev;
                for (s->DiaryTable.First(); !s->DiaryTable.Eof(); s->DiaryTable.Next()) {
                    const std::string key = s->DiaryTable.FieldText("DATE");
                    if (key < prev) problems.push_back("engine: walk in date order goes back from " + prev + " to " + key);
                    prev = key;
                    ++walked;
                }
                if (walked != live)
                    problems.push_back("engine: date order shows " + std::to_string(walked) + " records, the table holds " +
                                       std::to_string(live) + " live ones");
            }
        } catch (const Failure& f) {
            problems.push_back("engine: " + f.message);
        } catch (const TXbError& e) {
            problems.push_back("engine: " + e.FullText());
        }
        for (const auto& w : r.warnings) *ctx.out << "warning: " << w << '\n';
        for (const auto& p : problems) *ctx.out << "problem: " << p << '\n';
        if (!problems.empty()) {
            *ctx.out << problems.size() << " problem(s) found in " << ctx.diaryFolder << '\n';
            return 1;
        }
        *ctx.out << "ok: " << live << " entries, " << removed << " removed record(s) awaiting a rebuild\n";
        return 0;
    });
}

static ToolCommandRegistrar listCommand({"list", "list", "date keys of all entries and their sizes, in date order", RunList});
static ToolCommandRegistrar showCommand({"show", "show DATE", "writes the stored RTF of day DATE (yyyymmdd) to standard output", RunShow});
static ToolCommandRegistrar putCommand({"put", "put DATE FILE",
                                        "stores the RTF file as the entry of DATE; an empty file removes the entry; "
                                        "creates the diary when the folder holds none",
                                        RunPut});
static ToolCommandRegistrar checkCommand({"check", "check",
                                          "checks table, memo file and index against each other; non-zero exit on any problem",
                                          RunCheck});

}  // namespace
}  // namespace quill::tool
