#pragma once
// The copy of a page whose edit is still pending, kept in the diary folder
// so that a crash or a killed session does not take the day's text with it.
// It is replaced as a whole (new file, sync, rename), so a kill while it is
// written leaves the previous copy.

#include <optional>
#include <string>
#include <string_view>

#include "dates/date_keys.h"

namespace quill {

inline constexpr const char* kRecoveryFileName = "QUILLBK.RECOVER";

struct RecoveredPage {
    Date day;
    std::string text;  // the page as the editor writes it (RTF)
};

class RecoveryCopy {
public:
    // FOLDER ends with a separator.
    explicit RecoveryCopy(std::string folder);

    const std::string& Path() const { return path_; }
    bool Exists() const;
    // Replaces the copy; raises std::runtime_error when it cannot be written
    // (the previous copy, if any, stays).
    void Write(Date day, std::string_view text) const;
    // The copy, or nothing when there is none or it is not one of ours (cut
    // short, another file under the name).
    std::optional<RecoveredPage> Read() const;
    void Remove() const;

private:
    std::string path_;
};

}  // namespace quill
