#include "app/preferences_file.h"

#include "app/private_profile.h"

namespace quill {

namespace {
constexpr const char* kSecurity = "Security";
constexpr const char* kFont = "Default Font";
}  // namespace

StoredPreferences ReadPreferences(const std::string& iniPath) {
    StoredPreferences p;
    p.password = ReadProfileString(iniPath, kSecurity, "Password", "");
    p.font.name = ReadProfileString(iniPath, kFont, "Name", "Arial");
    p.font.size = ReadProfileInteger(iniPath, kFont, "Size", 10);
    p.font.bold = ReadProfileInteger(iniPath, kFont, "Bold", 0) != 0;
    p.font.italic = ReadProfileInteger(iniPath, kFont, "Italic", 0) != 0;
    p.font.underline = ReadProfileInteger(iniPath, kFont, "Underline", 0) != 0;
    p.font.color = static_cast<std::uint32_t>(ReadProfileInteger(iniPath, kFont, "Color", 0));
    return p;
}

void WritePasswordPreference(const std::string& iniPath, const std::string& storedPassword) {
    WriteProfileString(iniPath, kSecurity, "Password", storedPassword);
}

void WriteDefaultFontPreferences(const std::string& iniPath, const DefaultFontPreferences& font) {
    WriteProfileString(iniPath, kFont, "Name", font.name);
    WriteProfileString(iniPath, kFont, "Size", std::to_string(font.size));
    WriteProfileString(iniPath, kFont, "Bold", font.bold ? "1" : "0");
    WriteProfileString(iniPath, kFont, "Italic", font.italic ? "1" : "0");
    WriteProfileString(iniPath, kFont, "Underline", font.underline ? "1" : "0");
    // The colour is the 32-bit value written as a signed decimal integer.
    WriteProfileString(iniPath, kFont, "Color",
                       std::to_string(static_cast<std::int32_t>(font.color)));
}

}  // namespace quill
