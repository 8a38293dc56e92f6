#include "app/private_profile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace quill {

ProfileWriteError::ProfileWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path) {}

namespace {

struct ProfileFile {
    std::vector<std::string> lines;
    std::string lineBreak = "\n";
    bool exists = false;
};

ProfileFile ReadLines(const std::string& path) {
    ProfileFile file;
    std::ifstream in(path, std::ios::binary);
    if (!in) return file;
    file.exists = true;
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string all = buffer.str();
    std::size_t start = 0;
    bool breakSeen = false;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (!breakSeen) file.lineBreak = "\r\n";
        }
        if (end != std::string::npos) breakSeen = true;
        file.lines.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return file;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The section name of a "[name]" line, or false for any other line.
bool SectionOf(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    std::size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// Splits a "key=value" line; comment lines and lines without "=" are no keys.
bool KeyOf(const std::string& line, std::string& key, std::string& value) {
    std::string t = Trim(line);
    if (t.empty() || t.front() == ';') return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

// Line range [first, end) of the section's body, false when it is missing.
bool FindSection(const ProfileFile& file, const std::string& section, std::size_t& first,
                 std::size_t& end) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        std::string name;
        if (SectionOf(file.lines[i], name) && SameName(name, section)) {
            first = i + 1;
            end = first;
            while (end < file.lines.size() && !SectionOf(file.lines[end], name)) ++end;
            return true;
        }
    }
    return false;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// New file beside the old one, flushed to disk, then renamed over it, so the
// file on disk is always either the old or the new whole file.
void ReplaceFileDurably(const std::string& path, const std::string& data) {
    const std::string temp = path + ".new";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw ProfileWriteError(path);
    bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw ProfileWriteError(path);
    }
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    ProfileFile file = ReadLines(path);
    std::size_t first = 0, end = 0;
    std::string value = defaultValue;
    if (FindSection(file, section, first, end)) {
        for (std::size_t i = first; i < end; ++i) {
            std::string k, v;
            if (KeyOf(file.lines[i], k, v) && SameName(k, key)) {
                // A value in matching quotes is read without them.
                if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
                    v = v.substr(1, v.size() - 2);
                value = v;
                break;
            }
        }
    }
    if (value.size() > kProfileValueLimit) value.resize(kProfileValueLimit);
    return value;
}

bool ParseProfileInteger(const std::string& text, std::int32_t& out) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t v = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return false;
            v = v * 16 + static_cast<std::uint64_t>(d);
            if (v > 0xFFFFFFFFull) return false;
        }
        // Eight hex digits are the 32 bits of the value, as a colour is written.
        out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<std::int64_t>(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t ReadProfileInteger(const std::string& path, const std::string& section,
                                const std::string& key, std::int32_t defaultValue) {
    std::int32_t value = defaultValue;
    if (!ParseProfileInteger(ReadProfileString(path, section, key, ""), value)) return defaultValue;
    return value;
}

void WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    ProfileFile file = ReadLines(path);
    // A file that is there but cannot be read must not be replaced by one
    // holding this key alone.
    if (!file.exists && ::access(path.c_str(), F_OK) == 0) throw ProfileWriteError(path);
    const std::string entry = key + "=" + value;
    std::size_t first = 0, end = 0;
    if (FindSection(file, section, first, end)) {
        bool replaced = false;
        for (std::size_t i = first; i < end; ++i) {
            std::string k, v;
            if (KeyOf(file.lines[i], k, v) && SameName(k, key)) {
                file.lines[i] = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            // After the section's last non-empty line, so a blank line that
            // parts it from the next section stays where it is.
            std::size_t at = end;
            while (at > first && Trim(file.lines[at - 1]).empty()) --at;
            file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        }
    } else {
        while (!file.lines.empty() && Trim(file.lines.back()).empty()) file.lines.pop_back();
        file.lines.push_back("[" + section + "]");
        file.lines.push_back(entry);
    }
    std::string data;
    for (const std::string& line : file.lines) data += line + file.lineBreak;
    ReplaceFileDurably(path, data);
}

}  // namespace quill
