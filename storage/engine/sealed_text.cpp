#include "storage/engine/sealed_text.h"

#include <sodium.h>

#include <cstring>
#include <stdexcept>

#include "storage/engine/xb_engine.h"
#include "storage/engine/xb_failure.h"

namespace quill::xb {

namespace {

constexpr char kKeyMagic[8] = {'Q', 'B', 'K', 'E', 'Y', '\x01', '\0', '\0'};
constexpr char kSealMagic[4] = {'Q', 'B', 'S', '1'};
constexpr std::size_t kNonce = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTag = crypto_aead_xchacha20poly1305_ietf_ABYTES;
constexpr std::size_t kHeader = 8 + 8 + 8 + 16;   // magic, limits, salt
constexpr char kCheckText[] = "Quillbook key check";
constexpr std::size_t kCheckLen = sizeof kCheckText - 1;

void EnsureSodium() {
  if (sodium_init() < 0) throw XbFailure(XB_ERR_IO, "the encryption library could not start");
}

void PutLE64(std::string& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

std::uint64_t GetLE64(const char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

std::string HeaderBytes(const KeyFile& k) {
  std::string out(kKeyMagic, sizeof kKeyMagic);
  PutLE64(out, k.opsLimit);
  PutLE64(out, k.memLimit);
  out.append(reinterpret_cast<const char*>(k.salt.data()), k.salt.size());
  return out;
}

bool Derive(const KeyFile& k, std::string_view password, SealKey& key) {
  EnsureSodium();
  return crypto_pwhash(key.data(), key.size(), password.data(), password.size(), k.salt.data(), k.opsLimit,
                       static_cast<std::size_t>(k.memLimit), crypto_pwhash_ALG_ARGON2ID13) == 0;
}

std::string Seal(const SealKey& key, std::string_view text, std::string_view ad, std::string prefix) {
  std::string out = std::move(prefix);
  const std::size_t at = out.size();
  out.resize(at + kNonce + text.size() + kTag);
  auto* p = reinterpret_cast<unsigned char*>(out.data()) + at;
  randombytes_buf(p, kNonce);
  unsigned long long len = 0;
  crypto_aead_xchacha20poly1305_ietf_encrypt(p + kNonce, &len, reinterpret_cast<const unsigned char*>(text.data()),
                                             text.size(), reinterpret_cast<const unsigned char*>(ad.data()),
                                             ad.size(), nullptr, p, key.data());
  return out;
}

bool Open(const SealKey& key, std::string_view sealed, std::string_view ad, std::string& text) {
  if (sealed.size() < kNonce + kTag) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(sealed.data());
  text.resize(sealed.size() - kNonce - kTag);
  unsigned long long len = 0;
  if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<unsigned char*>(text.data()), &len, nullptr,
                                                 p + kNonce, sealed.size() - kNonce,
                                                 reinterpret_cast<const unsigned char*>(ad.data()), ad.size(), p,
                                                 key.data()) != 0) {
    text.clear();
    return false;
  }
  text.resize(static_cast<std::size_t>(len));
  return true;
}

}  // namespace

KeyFile KeyFile::Create(std::string_view password, SealKey& key) {
  EnsureSodium();
  KeyFile k;
  k.opsLimit = crypto_pwhash_OPSLIMIT_INTERACTIVE;
  k.memLimit = crypto_pwhash_MEMLIMIT_INTERACTIVE;
  randombytes_buf(k.salt.data(), k.salt.size());
  if (!Derive(k, password, key)) throw XbFailure(XB_ERR_IO, "not enough memory to derive the diary key");
  k.check = Seal(key, std::string_view(kCheckText, kCheckLen), HeaderBytes(k), {});
  return k;
}

KeyFile KeyFile::Parse(const std::string& bytes, const std::string& name) {
  if (bytes.size() != kHeader + kNonce + kCheckLen + kTag || std::memcmp(bytes.data(), kKeyMagic, 8) != 0)
    throw XbFailure(XB_ERR_CORRUPT, name + ": the key file is damaged, so no entry text can be read");
  KeyFile k;
  k.opsLimit = GetLE64(bytes.data() + 8);
  k.memLimit = GetLE64(bytes.data() + 16);
  std::memcpy(k.salt.data(), bytes.data() + 24, k.salt.size());
  k.check = bytes.substr(kHeader);
  if (k.opsLimit < crypto_pwhash_OPSLIMIT_MIN || k.opsLimit > 64 || k.memLimit < 8192 ||
      k.memLimit > (std::uint64_t(4) << 30))
    throw XbFailure(XB_ERR_CORRUPT, name + ": the key file is damaged, so no entry text can be read");
  return k;
}

std::string KeyFile::Bytes() const { return HeaderBytes(*this) + check; }

bool KeyFile::Unlock(std::string_view password, SealKey& key) const {
  if (password.empty()) return false;
  if (!Derive(*this, password, key)) throw XbFailure(XB_ERR_IO, "not enough memory to derive the diary key");
  std::string text;
  if (Open(key, check, HeaderBytes(*this), text) && text == std::string_view(kCheckText, kCheckLen)) return true;
  sodium_memzero(key.data(), key.size());
  return false;
}

bool IsSealed(std::string_view stored) {
  return stored.size() >= sizeof kSealMagic + kNonce + kTag &&
         std::memcmp(stored.data(), kSealMagic, sizeof kSealMagic) == 0;
}

std::string SealText(const SealKey& key, std::string_view text, std::string_view binding) {
  EnsureSodium();
  std::string ad(kSealMagic, sizeof kSealMagic);
  ad.append(binding);
  return Seal(key, text, ad, std::string(kSealMagic, sizeof kSealMagic));
}

bool OpenText(const SealKey& key, std::string_view stored, std::string_view binding, std::string& text) {
  if (!IsSealed(stored)) return false;
  std::string ad(kSealMagic, sizeof kSealMagic);
  ad.append(binding);
  return Open(key, stored.substr(sizeof kSealMagic), ad, text);
}

}  // namespace quill::xb
