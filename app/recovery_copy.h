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
    std::string text;  // the page as the editor writes it (RTF), or sealed
    bool sealed = false;  // TEXT is sealed with the diary's key
};

// What a sealed copy's text is bound to: its purpose and its day, so that
// neither an entry's sealed text nor another day's copy passes for it.
std::string RecoveryBinding(Date day);

class RecoveryCopy {
public:
    // FOLDER ends with a separator.
    explicit RecoveryCopy(std::string folder);

    const std::string& Path() const { return path_; }
    bool Exists() const;
    // Replaces the copy; raises std::runtime_error when it cannot be written
    // (the previous copy, if any, stays).
    // SEALED: TEXT is already sealed with the diary's key (bound with
    // RecoveryBinding(DAY)); a protected diary never writes it in the clear.
    void Write(Date day, std::string_view text, bool sealed = false) const;
    // The copy, or nothing when there is none or it is not one of ours (cut
    // short, another file under the name).
    std::optional<RecoveredPage> Read() const;
    void Remove() const;
    // Moves the copy out of the way under a new name beside it (never
    // replacing another), so that it is neither offered nor lost; the new
    // path, or "" when it could not be moved.
    std::string KeepAside() const;

private:
    std::string path_;
};

}  // namespace quill
