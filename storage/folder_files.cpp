#include "storage/folder_files.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

namespace quill {

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty()) return "./";
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/')
        folder.pop_back();
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string dir = WithTrailingSlash(folder);
    if (fs::is_regular_file(dir + name, ec)) return dir + name;
    std::string found;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (strcasecmp(entry.c_str(), name.c_str()) == 0 && it->is_regular_file(ec)) {
            // Deterministic choice when several spellings exist side by side.
            if (found.empty() || entry < found.substr(dir.size())) found = dir + entry;
        }
    }
    return found;
}

bool FileExistsNoCase(const std::string& folder, const std::string& name) {
    return !FindFileNoCase(folder, name).empty();
}

}  // namespace quill
