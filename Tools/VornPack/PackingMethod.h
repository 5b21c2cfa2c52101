// The packing methods as the commands name them ("--method auto|store|…") and
// what each makes of a file: a compression kind by name, or "auto", which
// stores what is compressed already and packs the rest with LZMA2.
#pragma once

#include <cstdint>
#include <vector>

#include "Tools/VornPack/EntryEncoder.h"
#include "VornLib/core/String.h"

namespace vornpack {

// A packing method as named on the command line; "auto" picks per file.
struct MethodName {
    const char16_t* name;
    bool automatic;
    vorn::CompressionKind kind;
};
// "auto" or a compression kind's name; null for an unknown name.
const MethodName* FindMethod(const vorn::String& name);
// The options as the usage texts show them:
// "[--method auto|store|…] [--solid|--no-solid]".
vorn::String MethodOption();
// Whether files go into solid groups: "auto" groups them unless told not to
// ("--no-solid"), a method named explicitly packs file by file unless told
// to group ("--solid"), as containers were packed before groups.
bool SolidFor(const MethodName& method, bool solidAsked, bool solidRefused);

// Encodes one file's bytes with the method; "auto" stores what is compressed
// already, and what LZMA2 does not shrink.
vorn::Result EncodeFile(const MethodName& method, const std::vector<uint8_t>& data,
                        const EncoderSettings& settings, EncodedEntry* out);
// The kind of a file too large to be encoded whole, from its first bytes:
// "auto" stores what is compressed already and packs the rest with LZMA2,
// whose blocks that do not shrink are kept raw.
vorn::CompressionKind PieceKind(const MethodName& method, const uint8_t* firstBytes, size_t length);
// How many first bytes PieceKind and IsCompressedAlready look at.
constexpr uint32_t kSignatureLength = 4;
// Whether the first bytes are those of a format compressed already (PNG,
// JPEG, ZIP, gzip, 7z, xz, bzip2, GIF, CAB).
bool IsCompressedAlready(const uint8_t* firstBytes, size_t length);

} // namespace vornpack
