// Whether an update is the vendor's: Ed25519 signatures (libsodium) checked
// with the public key the installation carries (UpdateFeedDeclaration.h).
// The feed, a small document, is signed as it is; a setup as a stream
// (Ed25519ph: the signature of its SHA-512), so that it is checked piece by
// piece as it is read, together with its size and SHA-256, in one pass.
// Signatures are written in base64, as the feed holds them.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "VornLib/core/String.h"

namespace vorn {

constexpr uint32_t kUpdateSignatureSize = 64;

// Whether `signature` (base64) is the key's of `bytes`.
bool BytesSignatureHolds(const uint8_t* bytes, size_t size, const uint8_t* publicKey,
                         const String& signature);

// A file's bytes fed in order, then compared with what the feed says of it.
class StreamVerifier {
public:
    StreamVerifier();
    ~StreamVerifier();
    StreamVerifier(const StreamVerifier&) = delete;
    StreamVerifier& operator=(const StreamVerifier&) = delete;

    void update(const uint8_t* bytes, size_t size);
    uint64_t size() const { return size_; }
    // Once every byte is in: the SHA-256 in lower-case hexadecimal digits, and
    // whether `signature` (base64) is the key's. Each may be asked once.
    String sha256();
    bool signatureHolds(const uint8_t* publicKey, const String& signature);

private:
    struct State;
    std::unique_ptr<State> state_;
    uint64_t size_ = 0;
};

} // namespace vorn
