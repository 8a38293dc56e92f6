#pragma once
// Engine failures as exceptions. The message is the fixed text the user sees
// ("File Open Error" when a table cannot be opened, otherwise a fixed prefix
// and the engine's decimal code); the engine's own explanation, which names
// the file and what is wrong, travels along for logs and the command line.

#include <stdexcept>
#include <string>

namespace quill {

inline constexpr const char* kFileOpenErrorText = "File Open Error";
inline constexpr const char* kEngineErrorPrefix = "xBase Engine Error ";

class TXbError : public std::runtime_error {
public:
    TXbError(int code, bool duringOpen, std::string engineText);
    int Code() const { return code_; }
    // What the engine said about it (file name and cause); may be empty.
    const std::string& EngineText() const { return engineText_; }
    // what() followed by the engine's explanation.
    std::string FullText() const;

private:
    int code_;
    std::string engineText_;
};

// Throws TXbError for the engine's last error. DURINGOPEN selects the
// "File Open Error" text.
[[noreturn]] void RaiseEngineError(bool duringOpen = false);

// Raises the engine's last error when OK is false.
inline void CheckEngine(bool ok, bool duringOpen = false) {
    if (!ok) RaiseEngineError(duringOpen);
}

}  // namespace quill
