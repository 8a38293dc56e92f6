// Internal error carrier of the engine: thrown by the file layers, caught at
// the xb_ boundary and turned into xb_Error()/xb_ErrorText().
#pragma once

#include <stdexcept>
#include <string>

namespace quill::xb {

class XbFailure : public std::runtime_error {
 public:
  XbFailure(int code, const std::string& text) : std::runtime_error(text), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace quill::xb
