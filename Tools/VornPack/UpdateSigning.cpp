#include "Tools/VornPack/UpdateSigning.h"

#include <sodium.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Tools/VornPack/Files.h"
#include "VornLib/app/UpdateSignature.h"
#include "VornLib/core/Base64.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Utf8.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vornpack {

using vorn::Format;
using vorn::Result;
using vorn::String;

namespace fs = std::filesystem;

namespace {

// The private key file's first line: what the file is, to whoever finds it.
constexpr char kPrivateKeyHeader[] =
    "VornPack Ed25519 private key: keep it secret, it signs the updates of your products.";

// Base64 and the key file's lines are ASCII.
String TextOfAscii(const std::string& ascii) {
    String text;
    for (const char unit : ascii)
        text += char16_t(static_cast<unsigned char>(unit));
    return text;
}

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Feeds the file to `state` in pieces; false when it cannot be read whole.
bool StreamFile(const String& path, crypto_sign_state* state) {
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file)
        return false;
    std::vector<char> piece(1u << 20);
    while (file) {
        file.read(piece.data(), std::streamsize(piece.size()));
        const std::streamsize read = file.gcount();
        if (read > 0)
            crypto_sign_update(state, reinterpret_cast<const unsigned char*>(piece.data()),
                               static_cast<unsigned long long>(read));
    }
    return file.eof();
}

// A new file that only its owner may read (on Windows: as its folder
// allows, the user's profile for one); null when it exists already.
FILE* CreateOwnersFile(const fs::path& path) {
#ifdef _WIN32
    const int descriptor =
        _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
#endif
    return descriptor < 0 ? nullptr : fdopen(descriptor, "wb");
}

Result WriteOwnersFile(const fs::path& path, const std::string& text, String* message) {
    FILE* file = CreateOwnersFile(path);
    if (!file) {
        *message = Format(u"\"{0}\" exists already or cannot be made: nothing was written",
                          {TextOf(path)});
        return vorn::kResultAlreadyExists;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        std::error_code error;
        fs::remove(path, error);
        *message = Format(u"cannot write \"{0}\"", {TextOf(path)});
        return vorn::kResultFailed;
    }
    return vorn::kResultOk;
}

} // namespace

bool BytesOfBase64(const String& text, uint8_t* bytes, size_t size) {
    std::vector<uint8_t> decoded;
    if (!vorn::DecodeBase64(text, &decoded) || decoded.size() != size)
        return false;
    std::copy(decoded.begin(), decoded.end(), bytes);
    return true;
}

Result WriteKeyPair(const String& name, String* message) {
    if (!SodiumReady())
        return vorn::kResultFailed;
    PublicKey publicKey;
    PrivateKey privateKey;
    crypto_sign_keypair(publicKey.data(), privateKey.data());
    const std::string secret = std::string(kPrivateKeyHeader) + "\n" +
                               vorn::ToUtf8(vorn::Base64Of(privateKey.data(), privateKey.size())) +
                               "\n";
    sodium_memzero(privateKey.data(), privateKey.size());
    const fs::path privatePath = PathOf(name + u".private");
    Result result = WriteOwnersFile(privatePath, secret, message);
    sodium_memzero(const_cast<char*>(secret.data()), secret.size());
    if (result != vorn::kResultOk)
        return result;
    const std::string shared =
        vorn::ToUtf8(vorn::Base64Of(publicKey.data(), publicKey.size())) + "\n";
    std::ofstream publicFile(PathOf(name + u".public"), std::ios::binary | std::ios::trunc);
    publicFile << shared;
    publicFile.close();
    if (!publicFile) {
        *message = Format(u"cannot write \"{0}.public\"", {name});
        return vorn::kResultFailed;
    }
    return vorn::kResultOk;
}

Result ReadPrivateKey(const String& path, PrivateKey* key, String* message) {
    if (!SodiumReady())
        return vorn::kResultFailed;
    std::ifstream file(PathOf(path), std::ios::binary);
    if (!file) {
        *message = Format(u"cannot read the private key \"{0}\"", {path});
        return vorn::kResultNotFound;
    }
    std::string header;
    std::string encoded;
    std::getline(file, header) && std::getline(file, encoded);
    PublicKey derived;
    PrivateKey rebuilt;
    const bool read = header == kPrivateKeyHeader &&
                      BytesOfBase64(TextOfAscii(encoded), key->data(), key->size()) &&
                      crypto_sign_seed_keypair(derived.data(), rebuilt.data(), key->data()) == 0 &&
                      sodium_memcmp(rebuilt.data(), key->data(), key->size()) == 0;
    sodium_memzero(rebuilt.data(), rebuilt.size());
    sodium_memzero(encoded.data(), encoded.size());
    if (!read) {
        *message = Format(u"\"{0}\" is not a private key that VornPack keygen wrote", {path});
        return vorn::kResultMalformed;
    }
    return vorn::kResultOk;
}

PublicKey PublicKeyOf(const PrivateKey& key) {
    PublicKey publicKey;
    crypto_sign_ed25519_sk_to_pk(publicKey.data(), key.data());
    return publicKey;
}

Result SignFile(const String& path, const PrivateKey& key, String* signature) {
    crypto_sign_state state;
    crypto_sign_init(&state);
    if (!SodiumReady() || !StreamFile(path, &state))
        return vorn::kResultNotFound;
    uint8_t bytes[kSignatureSize];
    crypto_sign_final_create(&state, bytes, nullptr, key.data());
    *signature = vorn::Base64Of(bytes, sizeof bytes);
    return vorn::kResultOk;
}

String SignBytes(const std::vector<uint8_t>& bytes, const PrivateKey& key) {
    uint8_t signature[kSignatureSize];
    crypto_sign_detached(signature, nullptr, bytes.data(), bytes.size(), key.data());
    return vorn::Base64Of(signature, sizeof signature);
}

bool FileSignatureHolds(const String& path, const PublicKey& key, const String& signature) {
    std::ifstream file(PathOf(path), std::ios::binary);
    vorn::StreamVerifier verifier;
    std::vector<char> piece(1u << 20);
    while (file) {
        file.read(piece.data(), std::streamsize(piece.size()));
        verifier.update(reinterpret_cast<const uint8_t*>(piece.data()), size_t(file.gcount()));
    }
    return file.eof() && verifier.signatureHolds(key.data(), signature);
}

bool BytesSignatureHolds(const std::vector<uint8_t>& bytes, const PublicKey& key,
                         const String& signature) {
    return vorn::BytesSignatureHolds(bytes.data(), bytes.size(), key.data(), signature);
}

} // namespace vornpack
