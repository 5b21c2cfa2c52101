// The container commands of VornPack: pack a folder, list, extract and verify
// a container (or the payload of a setup executable), and the packing methods
// they name. Each command takes the arguments after its name and returns the
// exit code (CommandLine.h).
#pragma once

#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "Tools/VornPack/Files.h"

namespace vornpack {

// A packing method as named on the command line; "auto" picks per file.
struct MethodName {
    const char16_t* name;
    bool automatic;
    vorn::CompressionKind kind;
};
// "auto" or a compression kind's name; null for an unknown name.
const MethodName* FindMethod(const vorn::String& name);
// The option as the usage texts show it: "[--method auto|store|…]".
vorn::String MethodOption();
// Encodes one file's bytes with the method; "auto" stores what is compressed
// already and takes the smaller of LZMA and PPMd for the rest.
vorn::Result EncodeFile(const MethodName& method, const std::vector<uint8_t>& data,
                        const EncoderSettings& settings, EncodedEntry* out);

int Pack(const Arguments& arguments);
int List(const Arguments& arguments);
int Extract(const Arguments& arguments);
int Verify(const Arguments& arguments);

} // namespace vornpack
