#include "Tools/VornPack/PackingMethod.h"
#include "Tools/VornPack/VornNames.h"

#include <algorithm>

namespace vornpack {

using vorn::CompressionKind;

namespace {

constexpr MethodName kAutomaticMethod = {u"auto", true, CompressionKind::Stored};

// Formats whose data is compressed already: storing them costs nothing to read.
struct Signature {
    uint8_t bytes[kSignatureLength];
    uint32_t length;
};
constexpr Signature kCompressedSignatures[] = {
    {{0x89, 'P', 'N', 'G'}, 4}, {{0xFF, 0xD8, 0xFF, 0}, 3},  {{'P', 'K', 3, 4}, 4},
    {{0x1F, 0x8B, 0, 0}, 2},    {{'7', 'z', 0xBC, 0xAF}, 4}, {{0xFD, '7', 'z', 'X'}, 4},
    {{'B', 'Z', 'h', 0}, 3},    {{'G', 'I', 'F', '8'}, 4},   {{'M', 'S', 'C', 'F'}, 4},
};

} // namespace

bool IsCompressedAlready(const uint8_t* data, size_t length) {
    for (const Signature& signature : kCompressedSignatures) {
        if (length >= signature.length &&
            std::equal(signature.bytes, signature.bytes + signature.length, data))
            return true;
    }
    return false;
}

const MethodName* FindMethod(const String& name) {
    if (name == kAutomaticMethod.name)
        return &kAutomaticMethod;
    // One method a compression kind, named as the container's readers name it.
    static const auto kMethods = [] {
        std::vector<MethodName> methods;
        for (const vorn::CompressionKindName& kind : vorn::kCompressionKindNames)
            methods.push_back({kind.name, false, kind.kind});
        return methods;
    }();
    for (const MethodName& candidate : kMethods) {
        if (name == candidate.name)
            return &candidate;
    }
    return nullptr;
}

String MethodOption() {
    String option = String(u"[--method ") + kAutomaticMethod.name;
    for (const vorn::CompressionKindName& kind : vorn::kCompressionKindNames)
        option += String(u"|") + kind.name;
    return option + u"] [--solid|--no-solid]";
}

bool SolidFor(const MethodName& method, bool solidAsked, bool solidRefused) {
    return method.automatic ? !solidRefused : solidAsked;
}

Result EncodeFile(const MethodName& method, const std::vector<uint8_t>& data,
                  const EncoderSettings& settings, EncodedEntry* out) {
    if (!method.automatic)
        return EncodeEntry(method.kind, data.data(), data.size(), settings, out);
    if (data.empty() || IsCompressedAlready(data.data(), data.size()))
        return EncodeEntry(CompressionKind::Stored, data.data(), data.size(), settings, out);
    // An installer reads every byte once, while the user waits: LZMA2 packs
    // nearly as small as PPMd and decodes some twenty times faster, so PPMd is
    // used only when asked for by name. Stored when compressing does not help.
    const Result result =
        EncodeEntry(CompressionKind::Lzma2, data.data(), data.size(), settings, out);
    if (result != vorn::kResultOk)
        return result;
    if (out->packed.size() >= data.size())
        return EncodeEntry(CompressionKind::Stored, data.data(), data.size(), settings, out);
    return vorn::kResultOk;
}

CompressionKind PieceKind(const MethodName& method, const uint8_t* firstBytes, size_t length) {
    if (!method.automatic)
        return method.kind;
    return IsCompressedAlready(firstBytes, length) ? CompressionKind::Stored
                                                   : CompressionKind::Lzma2;
}

} // namespace vornpack
