#include "Tools/VornPack/Packing.h"

#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "VornLib/core/Format.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

using vorn::Format;
using vorn::Result;
using vorn::String;

namespace {

String CollisionMessage(const String& colliding, const String& entryName) {
    return colliding == entryName
               ? Format(u"\"{0}\" would be packed twice", {entryName})
               : Format(u"\"{0}\" and \"{1}\" have the same name hash {2,08:X}; rename one",
                        {colliding, entryName, vorn::NameHash(entryName.data())});
}

Result LoadItem(const PackItem& item, std::vector<uint8_t>* data, String* message) {
    if (item.source.empty()) {
        *data = item.content;
        return vorn::kResultOk;
    }
    const String path = TextOf(item.source);
    const Result result = ReadWholeFile(path, data);
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot read \"{0}\"", {path});
        return result;
    }
    if (data->size() != item.size) {
        *message = Format(u"\"{0}\" changed while it was packed", {path});
        return vorn::kResultSharingViolation;
    }
    return vorn::kResultOk;
}

} // namespace

Result ReadPackingOptions(OptionReader* options, PackingOptions* out, String* message) {
    out->quiet = options->flag(u"--quiet");
    String methodText(u"auto");
    String jobsText;
    options->value(u"--method", &methodText);
    out->method = FindMethod(methodText);
    if (!out->method) {
        *message = Format(u"unknown method \"{0}\"", {methodText});
        return vorn::kResultInvalidArgument;
    }
    out->jobs = DefaultJobs();
    if (options->value(u"--jobs", &jobsText) && !ParseJobs(jobsText, &out->jobs)) {
        *message = JobsError(jobsText);
        return vorn::kResultInvalidArgument;
    }
    return vorn::kResultOk;
}

Result WriteContainer(const std::vector<PackItem>& items, const PackingOptions& options,
                      vorn::DateTime newest, vorn::Stream* out, const String& outputName,
                      ProgressLine* progress, String* message) {
    ContainerWriter writer;
    uint32_t date = 0;
    uint32_t time = 0;
    BuildStamp(newest, &date, &time);
    Result result = writer.begin(out, date, time);
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot write \"{0}\"", {outputName});
        return result;
    }
    std::vector<uint64_t> sizes;
    uint64_t totalBytes = 0;
    for (const PackItem& item : items) {
        sizes.push_back(item.size);
        totalBytes += item.size;
    }
    progress->start(uint32_t(items.size()), totalBytes);
    ParallelEncoder encoder(*options.method, options.jobs);
    result = encoder.start(
        sizes,
        [&items](uint32_t index, std::vector<uint8_t>* data, String* message) {
            return LoadItem(items[index], data, message);
        },
        [&items](uint32_t index) { return items[index].entryName; });
    if (result != vorn::kResultOk) {
        *message = u"cannot start the compression";
        return result;
    }
    EncodedFile file;
    for (const PackItem& item : items) {
        encoder.next(&file, [progress](uint64_t ahead) { progress->within(ahead); });
        if (file.result != vorn::kResultOk) {
            *message = file.message;
            return file.result;
        }
        String colliding;
        result =
            writer.addEntry(item.entryName.data(), file.encoded.kind, file.encoded.packed.data(),
                            file.encoded.packed.size(), file.unpackedSize, &colliding);
        if (result != vorn::kResultOk) {
            *message =
                result == vorn::kResultAlreadyExists
                    ? CollisionMessage(colliding, item.entryName)
                    : Format(u"cannot write \"{0}\" into \"{1}\"", {item.entryName, outputName});
            return result;
        }
        progress->entryDone(file.unpackedSize);
    }
    if ((result = writer.finish()) != vorn::kResultOk)
        *message = Format(u"cannot write \"{0}\"", {outputName});
    return result;
}

} // namespace vornpack
