#include "privacy/password_verifier.h"

#include <sodium.h>

#include <stdexcept>

#include "privacy/password_scramble.h"

namespace quill {

namespace {

constexpr std::string_view kVerifierPrefix = "$argon2id$";

void EnsureSodium() {
    if (sodium_init() < 0) throw std::runtime_error("The password library could not start");
}

}  // namespace

bool IsPasswordVerifier(std::string_view stored) {
    return stored.substr(0, kVerifierPrefix.size()) == kVerifierPrefix;
}

std::string MakePasswordVerifier(std::string_view password) {
    EnsureSodium();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, password.data(), password.size(),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::runtime_error("Not enough memory to protect the password");
    return std::string(out);
}

bool StoredPasswordAccepts(std::string_view stored, std::string_view typed) {
    if (stored.empty()) return typed.empty();
    if (!IsPasswordVerifier(stored)) {
        const std::string plain = Decryptstring(stored);
        return plain.size() == typed.size() &&
               sodium_memcmp(plain.data(), typed.data(), plain.size()) == 0;
    }
    EnsureSodium();
    if (stored.size() >= crypto_pwhash_STRBYTES) return false;
    const std::string verifier(stored);  // NUL-terminated copy
    return crypto_pwhash_str_verify(verifier.c_str(), typed.data(), typed.size()) == 0;
}

}  // namespace quill
