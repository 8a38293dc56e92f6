// Password protection of memo texts: a key derived from the password with
// Argon2id (the salt and the derivation limits live in a small key file
// beside the table), and every memo text sealed with XChaCha20-Poly1305
// under a fresh nonce, the record's other fields bound in as associated
// data so that a text cannot be moved to another record unnoticed. The key
// file also holds a sealed check value, which tells a wrong password apart
// from a damaged text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quill::xb {

using SealKey = std::array<unsigned char, 32>;

struct KeyFile {
  std::uint64_t opsLimit = 0;
  std::uint64_t memLimit = 0;
  std::array<unsigned char, 16> salt{};
  std::string check;   // nonce + sealed check value

  // A new key file for PASSWORD (fresh salt, interactive limits); KEY
  // receives the derived key.
  static KeyFile Create(std::string_view password, SealKey& key);
  // Throws XbFailure(XB_ERR_CORRUPT) naming NAME when the bytes are not a
  // key file.
  static KeyFile Parse(const std::string& bytes, const std::string& name);
  std::string Bytes() const;

  // Derives the key for PASSWORD; false when the check value does not open
  // with it (a wrong password).
  bool Unlock(std::string_view password, SealKey& key) const;
};

// Whether a stored memo text is in the sealed form.
bool IsSealed(std::string_view stored);
// TEXT sealed with KEY, bound to BINDING.
std::string SealText(const SealKey& key, std::string_view text, std::string_view binding);
// The text of a sealed memo; false when the seal does not open (damaged,
// moved to another record, or another key).
bool OpenText(const SealKey& key, std::string_view stored, std::string_view binding, std::string& text);

}  // namespace quill::xb
