#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quill {

class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "quill-storage-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = tmpl + "/";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace quill
