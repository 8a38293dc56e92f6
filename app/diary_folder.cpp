#include "app/diary_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quill {

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string DefaultDiaryFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return WithTrailingSeparator(data) + "quillbook/";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return WithTrailingSeparator(home) + ".local/share/quillbook/";
}

bool EnsureDiaryFolder(const std::string& folder) {
    std::string path;
    std::size_t at = 0;
    const std::string full = WithTrailingSeparator(folder);
    while ((at = full.find('/', at + 1)) != std::string::npos) {
        path = full.substr(0, at);
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) continue;
        // Parents that are missing are made like the XDG data folder itself;
        // the diary folder is the user's alone.
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace quill
