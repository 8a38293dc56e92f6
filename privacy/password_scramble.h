#pragma once
// The scrambled password value of older preferences files: each character
// shifted by the text's length and a fixed offset, differently at odd and even
// positions. It hides nothing from a determined reader; it is read so that
// such files keep working and is replaced by a verifier on the next write.

#include <string>
#include <string_view>

namespace quill {

std::string EncryptString(std::string_view plain);   // plain to stored
std::string Decryptstring(std::string_view stored);  // stored to plain

}  // namespace quill
