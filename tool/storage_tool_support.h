#pragma once
// What the diary commands of quillbook-tool share: their failure type, the
// text for an engine error, and the guard that turns failures into an exit
// status and a message.

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "storage/diary_storage.h"
#include "storage/engine/xb_engine.h"
#include "storage/folder_files.h"
#include "storage/xb_error.h"
#include "tool/password_prompt.h"
#include "tool/tool_registry.h"

namespace quill::tool {

struct Failure {
    int status;
    std::string message;
};

// The day a command-line date key (yyyymmdd) names; a usage failure when
// TEXT is not one.
inline Date DayArgument(const std::string& text) {
    Date day;
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos || !KeyToDate(text, day))
        throw Failure{2, "'" + text + "' is not a date key (yyyymmdd, e.g. 20240105)"};
    return day;
}

inline std::string InUse(const std::string& folder) {
    return "the diary in " + folder + " is in use by a running program; close Quillbook and try again";
}

inline std::string Describe(const TXbError& e, const std::string& folder) {
    if (e.Code() == xb::XB_ERR_LOCKED) return InUse(folder);
    if (e.Code() == xb::XB_ERR_READONLY || e.Code() == xb::XB_ERR_IO)
        return e.FullText() + " (is the diary folder read-only or the disk full?)";
    return e.FullText();
}

inline void RequireTable(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) throw Failure{1, "no diary folder " + folder};
    if (!FileExistsNoCase(folder, kDiaryTableName))
        throw Failure{1, "no diary in " + folder + " (" + kDiaryTableName + " not found)"};
}

// Opens the diary without changing anything: read-only, date order when the
// index is there; with UNLOCKWITH, a protected diary's password is asked.
inline std::unique_ptr<DiaryStorage> OpenForReading(const std::string& folder, bool& haveIndex,
                                                    ToolContext* unlockWith = nullptr) {
    RequireTable(folder);
    auto s = std::make_unique<DiaryStorage>(folder);
    s->DiaryTable.TableName = kDiaryTableName;
    s->DiaryTable.DatabaseName = folder;
    s->DiaryTable.ReadOnly = true;
    try {
        s->DiaryTable.Open();
        s->XbEnv1.SetDeleted(true);
        haveIndex = s->DiaryEngine.TagArea("DATE") != 0;
        s->DiaryEngine.SetOrder(haveIndex ? s->DiaryEngine.TagArea("DATE") : 0);
    } catch (const TXbError& e) {
        throw Failure{1, Describe(e, folder)};
    }
    if (unlockWith) UnlockDiary(*unlockWith, *s);
    return s;
}

// Opens the diary in FOLDER for changing it (DiaryStorage::OpenDiaryFile).
// A running program's lock gives InUse; any other failure WHAT, the reason
// and THEN.
inline void OpenForChanging(DiaryStorage& s, const std::string& folder, const std::string& what,
                            const std::string& then = "") {
    if (s.OpenDiaryFile()) return;
    if (s.LastErrorCode() == xb::XB_ERR_LOCKED) throw Failure{1, InUse(folder)};
    throw Failure{1, what + s.LastError() + then};
}

// Creates FOLDER and its missing parents, each readable by the user alone,
// as the program does for its diary folder; true when it exists afterwards.
inline bool CreateDiaryFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path;
    for (const auto& part : fs::path(folder)) {
        path /= part;
        if (part.empty() || fs::exists(path, ec)) continue;
        if (!fs::create_directory(path, ec) && !fs::is_directory(path, ec)) return false;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace, ec);
    }
    return fs::is_directory(folder, ec);
}

template <typename F>
int Guarded(ToolContext& ctx, F&& body) {
    try {
        return body();
    } catch (const Failure& f) {
        *ctx.err << "quillbook-tool: " << f.message << "\n";
        return f.status;
    } catch (const TXbError& e) {
        *ctx.err << "quillbook-tool: " << Describe(e, ctx.diaryFolder) << "\n";
        return 1;
    } catch (const std::exception& e) {
        *ctx.err << "quillbook-tool: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace quill::tool
