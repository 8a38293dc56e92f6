#pragma once
// The keys of "QB.INI": the stored password value and the default font of new
// pages. Each key is read and written on its own, so keys of other sections
// survive a save.

#include <cstdint>
#include <string>

namespace quill {

inline constexpr const char* kPreferencesFileName = "QB.INI";

struct DefaultFontPreferences {
    std::string name = "Arial";
    int size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::uint32_t color = 0;  // red in the low byte, then green, then blue
};

struct StoredPreferences {
    std::string password;  // "Security"/"Password" as stored; empty: no password
    DefaultFontPreferences font;
};

// A missing file or key reads as its default.
StoredPreferences ReadPreferences(const std::string& iniPath);

// Each throws ProfileWriteError at the first key that cannot be written;
// the keys after it are not written.
void WritePasswordPreference(const std::string& iniPath, const std::string& storedPassword);
// "Name", "Size", "Bold", "Italic", "Underline", "Color", in this order.
void WriteDefaultFontPreferences(const std::string& iniPath, const DefaultFontPreferences& font);

}  // namespace quill
