#include "storage/xb_error.h"

#include "storage/engine/xb_engine.h"

namespace quill {
namespace {

std::string MessageFor(int code, bool duringOpen) {
    if (duringOpen) return kFileOpenErrorText;
    return kEngineErrorPrefix + std::to_string(code);
}

}  // namespace

TXbError::TXbError(int code, bool duringOpen, std::string engineText)
    : std::runtime_error(MessageFor(code, duringOpen)), code_(code), engineText_(std::move(engineText)) {}

std::string TXbError::FullText() const {
    if (engineText_.empty()) return what();
    return std::string(what()) + ": " + engineText_;
}

void RaiseEngineError(bool duringOpen) {
    int code = xb::xb_Error();
    // A failure the engine did not name still must not read as success.
    if (code == xb::XB_OK) code = xb::XB_ERR_IO;
    throw TXbError(code, duringOpen, xb::xb_ErrorText());
}

}  // namespace quill
