#pragma once
// The stored form of the diary password: a salted Argon2id verifier, so the
// preferences file never holds a recoverable password. Older files hold the
// scrambled form instead; both are accepted at the gate.

#include <string>
#include <string_view>

namespace quill {

// True for a value in the verifier form ("$argon2id$...").
bool IsPasswordVerifier(std::string_view stored);

// A fresh verifier (new random salt) for the password. Throws
// std::runtime_error when the hashing cannot get its memory.
std::string MakePasswordVerifier(std::string_view password);

// Whether the typed text is the password that the stored value stands for,
// compared exactly (letter case counts). An empty stored value means no
// password, which only an empty text matches.
bool StoredPasswordAccepts(std::string_view stored, std::string_view typed);

}  // namespace quill
