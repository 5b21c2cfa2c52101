#include "VornLib/app/UpdateSignature.h"

#include <sodium.h>

#include "VornLib/core/Base64.h"

namespace vorn {

namespace {

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

bool SignatureBytes(const String& text, uint8_t* bytes) {
    std::vector<uint8_t> decoded;
    if (!DecodeBase64(text, &decoded) || decoded.size() != kUpdateSignatureSize)
        return false;
    std::copy(decoded.begin(), decoded.end(), bytes);
    return true;
}

} // namespace

bool BytesSignatureHolds(const uint8_t* bytes, size_t size, const uint8_t* publicKey,
                         const String& signature) {
    uint8_t raw[kUpdateSignatureSize];
    return SodiumReady() && SignatureBytes(signature, raw) &&
           crypto_sign_verify_detached(raw, bytes, size, publicKey) == 0;
}

struct StreamVerifier::State {
    crypto_sign_state signing;
    crypto_hash_sha256_state sha256;
};

StreamVerifier::StreamVerifier() : state_(new State) {
    (void)SodiumReady();
    crypto_sign_init(&state_->signing);
    crypto_hash_sha256_init(&state_->sha256);
}

StreamVerifier::~StreamVerifier() = default;

void StreamVerifier::update(const uint8_t* bytes, size_t size) {
    crypto_sign_update(&state_->signing, bytes, size);
    crypto_hash_sha256_update(&state_->sha256, bytes, size);
    size_ += size;
}

String StreamVerifier::sha256() {
    uint8_t digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state_->sha256, digest);
    static const char16_t kDigits[] = u"0123456789abcdef";
    String text;
    for (const uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

bool StreamVerifier::signatureHolds(const uint8_t* publicKey, const String& signature) {
    uint8_t raw[kUpdateSignatureSize];
    return SodiumReady() && SignatureBytes(signature, raw) &&
           crypto_sign_final_verify(&state_->signing, raw, publicKey) == 0;
}

} // namespace vorn
