#pragma once
// Helpers of the spell tests: a temporary folder per test, whole-file reads
// and writes, and node bytes of a user dictionary.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quill::spelltest {

class TempFolder {
public:
    TempFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "spelltest-XXXXXX").string();
        char* made = mkdtemp(tmpl.data());
        if (!made) throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline size_t BannerEnd(const std::vector<uint8_t>& file) {
    for (size_t i = 0; i < file.size(); ++i) {
        if (file[i] == 0x1A) return i + 1;
    }
    return std::string::npos;
}

inline int32_t I32At(const std::vector<uint8_t>& f, size_t at) {
    return static_cast<int32_t>(uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 |
                                uint32_t(f[at + 2]) << 16 | uint32_t(f[at + 3]) << 24);
}

// Header fields of the (first) section of a dictionary file.
struct HeaderBytes {
    int32_t NodeCount, NodeCapacity, WordCount;
    uint8_t IsMain;
    int32_t HeaderPos;
};

inline HeaderBytes HeaderAt(const std::vector<uint8_t>& f, size_t at) {
    return {I32At(f, at), I32At(f, at + 4), I32At(f, at + 8), f[at + 12], I32At(f, at + 13)};
}

// Node i (1-based) of the single section of a user dictionary file, as
// {link low, link high, flags}.
inline std::vector<uint8_t> UserNode(const std::vector<uint8_t>& f, int i) {
    size_t at = BannerEnd(f) + 17 + 3 * size_t(i - 1);
    return {f[at], f[at + 1], f[at + 2]};
}

}  // namespace quill::spelltest
