#pragma once
// Enumerations and error type shared by the rich text document and its readers
// and writers.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quill {

// Whether lines carry attribute records (fmRichText) or only bytes.
enum TMemoryFormat : uint8_t { fmRichText = 0, fmPlainText = 1 };

// Format of a load or save; stored in the header as 0..4.
enum TLoadFormat : uint8_t {
  AutomaticFormat = 0,
  LastFormat = 1,
  FormatRTF = 2,
  FormatANSI = 3,
  FormatHTML = 4,
};

// Chooses the grid that indents and tab stops snap to.
enum TRulerUnit : uint8_t { Centimeter = 0, Inch = 1 };

// Marks that an editor may treat as protected. A set is a bit mask of
// (1 << value); ProtectBit builds it.
enum TProtectProp : uint8_t {
  ppProtected = 0,
  ppHidden = 1,
  ppIsInsertpoint = 2,
  ppAutomatic = 3,
  ppIsInvisible = 4,
  ppParProtected = 5,
};
using TProtectProps = uint8_t;
constexpr TProtectProps ProtectBit(TProtectProp p) { return TProtectProps(1u << p); }

// Raised by the document and the readers for allocation and limit failures.
// The texts are fixed; some contain a tab character.
class TRichTextError : public std::runtime_error {
 public:
  explicit TRichTextError(const std::string& text) : std::runtime_error(text) {}
};

inline constexpr const char* kErrNewParagraph = "Out of Memory in\tNewParagraph";
inline constexpr const char* kErrLineTooLong = "Line longer then\t10000 character!";
inline constexpr const char* kErrAttribPtr = "Error AttribPtr()";
inline constexpr const char* kErrLastLine = "l=nil in Get_LastLine";
inline constexpr const char* kErrReaderArgs = "Wrong Arguments in\tTRTFReader";

// Longest line a document accepts, in character slots.
inline constexpr int kMaxLineCapacity = 10000;

}  // namespace quill
