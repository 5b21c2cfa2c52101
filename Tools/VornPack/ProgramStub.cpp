#include "Tools/VornPack/ProgramStub.h"

#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VersionInfo.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/Format.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

namespace {

struct StubMessage {
    Result result;
    const char16_t* text;
};
constexpr StubMessage kStubMessages[] = {
    {vorn::kResultMalformed, u"\"{0}\" is not a well-formed Windows executable"},
    {vorn::kResultUnsupportedFormat, u"\"{0}\" has a resource layout that cannot take a payload"},
    {vorn::kResultAccessDenied,
     u"\"{0}\" is signed; a payload would break its signature, so use an unsigned stub and sign "
     u"the setup executable afterwards"},
    {vorn::kResultCapacityExceeded, u"\"{0}\" has too many resources"},
};

Result CheckIdentity(const StubKind& kind, const PeImage& image, const String& path,
                     String* message) {
    String name;
    for (const ResourceLeaf& leaf : image.resources()) {
        if (leaf.type == ResourceKey::Id(kResourceVersion) &&
            ReadVersionString(image.dataOf(leaf), leaf.size, u"OriginalFilename", &name) ==
                vorn::kResultOk)
            break;
    }
    if (name.compareIgnoringCase(kind.fileName) == 0)
        return vorn::kResultOk;
    const String what = name.isEmpty() ? String(u"it has no version block that names it")
                                       : Format(u"its version block names it \"{0}\"", {name});
    *message = Format(u"\"{0}\" is not the {1}: {2}; give {3} the {4} that comes with VornPack",
                      {path, kind.role, what, kind.option, kind.fileName});
    return vorn::kResultKindMismatch;
}

} // namespace

Result LoadStub(const StubKind& kind, const String& path, ProgramStub* stub, String* message) {
    Result result = ReadWholeFile(path, &stub->bytes);
    if (result == vorn::kResultOk)
        result = LastWriteTime(PathOf(path), &stub->date);
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot read the {0} \"{1}\"", {kind.role, path});
        return result;
    }
    if ((result = stub->image.parse(stub->bytes.data(), stub->bytes.size())) != vorn::kResultOk) {
        *message = Format(u"cannot use the stub \"{0}\"", {path});
        for (const StubMessage& known : kStubMessages) {
            if (known.result == result)
                *message = Format(known.text, {path});
        }
        return result;
    }
    return CheckIdentity(kind, stub->image, path, message);
}

Result WriteStubWithPayload(const ProgramStub& stub, const std::filesystem::path& container,
                            const String& stubName, const String& outputName, OutputFile* output,
                            uint64_t* payloadSize, String* message) {
    vorn::FileStream payload;
    Result result = payload.openRead(TextOf(container).data());
    *payloadSize = payload.size();
    if (result == vorn::kResultOk)
        result = stub.image.writeWithResource(ResourceKey::Id(kResourceRcData),
                                              ResourceKey::Id(kPayloadResource), &payload,
                                              *payloadSize, &output->stream());
    if (result == vorn::kResultCapacityExceeded)
        *message =
            Format(u"the payload ({0} bytes) does not fit into \"{1}\"", {*payloadSize, stubName});
    else if (result != vorn::kResultOk)
        *message = Format(u"cannot write \"{0}\"", {outputName});
    return result == vorn::kResultOk ? output->close(message) : result;
}

} // namespace vornpack
