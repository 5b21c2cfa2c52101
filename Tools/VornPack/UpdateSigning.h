// The keys that sign a product's updates, and the signatures themselves:
// Ed25519 (libsodium). A vendor makes one key pair ("VornPack keygen"); the
// public key goes into the definitions ("UpdateFeed", PublicKey), which every
// installation carries, and the private key signs each feed and each setup
// the feed offers ("VornPack feed"). Keys and signatures are written in
// base64 (RFC 4648, with padding), as the definitions and the feed hold them.
//
// A setup is signed as a stream (Ed25519ph: the signature of its SHA-512),
// so that neither the signer nor an installation that checks it needs the
// whole file in memory; the feed, a small document, is signed as it is.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vornpack {

constexpr uint32_t kPublicKeySize = 32;
constexpr uint32_t kPrivateKeySize = 64;
constexpr uint32_t kSignatureSize = 64;

using PrivateKey = std::array<uint8_t, kPrivateKeySize>;
using PublicKey = std::array<uint8_t, kPublicKeySize>;

// False for anything but base64 of exactly `size` bytes.
bool BytesOfBase64(const vorn::String& text, uint8_t* bytes, size_t size);

// Writes "<name>.private" (the private key, readable by its owner only) and
// "<name>.public" (the public key as PublicKey= takes it). An existing
// private key is never overwritten: 14, nothing written.
vorn::Result WriteKeyPair(const vorn::String& name, vorn::String* message);

// The private key of a file that WriteKeyPair wrote; 29 for a file that
// cannot be read, 33 for any other file.
vorn::Result ReadPrivateKey(const vorn::String& path, PrivateKey* key, vorn::String* message);
PublicKey PublicKeyOf(const PrivateKey& key);

// The signature of a file's bytes, streamed; of a small document's bytes.
vorn::Result SignFile(const vorn::String& path, const PrivateKey& key, vorn::String* signature);
vorn::String SignBytes(const std::vector<uint8_t>& bytes, const PrivateKey& key);

// Whether `signature` (base64) is `key`'s of the file or the bytes.
bool FileSignatureHolds(const vorn::String& path, const PublicKey& key,
                        const vorn::String& signature);
bool BytesSignatureHolds(const std::vector<uint8_t>& bytes, const PublicKey& key,
                         const vorn::String& signature);

} // namespace vornpack
