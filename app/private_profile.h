#pragma once
// A Windows-style initialisation file ("[Section]" lines, "Key=Value" lines)
// read and written one key at a time. Writing a key rewrites the file through
// a new file beside it, so other sections and keys survive and a crash never
// leaves a half-written file behind.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quill {

// At most this many characters of a value are seen on reading.
inline constexpr std::size_t kProfileValueLimit = 1023;

class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const std::string& path);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Section and key names are compared without regard to letter case. A missing
// file, section or key gives the default.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// A text longer than two characters starting with "0x" or "0X" is hexadecimal;
// otherwise signed decimal; anything else (including an empty text or a value
// outside 32 bits) gives the default.
std::int32_t ReadProfileInteger(const std::string& path, const std::string& section,
                                const std::string& key, std::int32_t defaultValue);
bool ParseProfileInteger(const std::string& text, std::int32_t& out);

// Replaces the key's value, or adds the key at the end of its section, or adds
// the section at the end of the file. Throws ProfileWriteError ("Unable to
// write to <path>") when the file cannot be written; the old file is then
// untouched.
void WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace quill
