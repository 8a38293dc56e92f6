#include "privacy/password_scramble.h"

namespace quill {

namespace {

// Positions count from 1, so index 0 is an odd position.
std::string Shift(std::string_view text, int oddShift, int evenShift) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        int code = static_cast<unsigned char>(out[i]);
        int shift = (i % 2 == 0) ? oddShift : evenShift;
        out[i] = static_cast<char>(static_cast<unsigned char>(((code + shift) % 256 + 256) % 256));
    }
    return out;
}

}  // namespace

std::string EncryptString(std::string_view plain) {
    // Only the length modulo 256 matters to a byte shift.
    const int length = static_cast<int>(plain.size() % 256);
    return Shift(plain, -length + 100, length + 100);
}

std::string Decryptstring(std::string_view stored) {
    const int length = static_cast<int>(stored.size() % 256);
    return Shift(stored, length - 100, -length - 100);
}

}  // namespace quill
