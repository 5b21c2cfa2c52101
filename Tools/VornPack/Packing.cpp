#include "Tools/VornPack/Packing.h"

#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

namespace {

String CollisionMessage(const String& colliding, const String& entryName) {
    return colliding == entryName
               ? Format(u"\"{0}\" would be packed twice", {entryName})
               : Format(u"\"{0}\" and \"{1}\" have the same name hash {2,08:X}; rename one",
                        {colliding, entryName, vorn::NameHash(entryName.data())});
}

Result LoadItem(const PackItem& item, uint64_t offset, uint32_t length, std::vector<uint8_t>* data,
                String* message) {
    if (!item.source.empty())
        return LoadFileRange(TextOf(item.source), item.size, offset, length, data, message);
    if (offset + length > item.content.size())
        return vorn::kResultOutOfRange;
    data->assign(item.content.begin() + long(offset), item.content.begin() + long(offset + length));
    return vorn::kResultOk;
}

} // namespace

Result ReadPackingOptions(OptionReader* options, PackingOptions* out, String* message) {
    out->quiet = options->flag(u"--quiet");
    const bool solidAsked = options->flag(u"--solid");
    const bool solidRefused = options->flag(u"--no-solid");
    String methodText(u"auto");
    String jobsText;
    options->value(u"--method", &methodText);
    out->method = FindMethod(methodText);
    if (!out->method) {
        *message = Format(u"unknown method \"{0}\"", {methodText});
        return vorn::kResultInvalidArgument;
    }
    if (solidAsked && solidRefused) {
        *message = u"--solid and --no-solid exclude each other";
        return vorn::kResultInvalidArgument;
    }
    out->solid = SolidFor(*out->method, solidAsked, solidRefused);
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
    auto load = [&items](uint32_t index, uint64_t offset, uint32_t length,
                         std::vector<uint8_t>* data, String* message) {
        return LoadItem(items[index], offset, length, data, message);
    };
    PackPlan plan;
    if (options.solid) {
        std::vector<bool> groupable;
        for (const PackItem& item : items)
            groupable.push_back(item.groupable);
        if ((result = plan.make(sizes, groupable, load, PlanOptions(), message)) != vorn::kResultOk)
            return result;
    }
    ParallelEncoder encoder(*options.method, options.jobs);
    result = encoder.start(
        sizes, load, [&items](uint32_t index) { return items[index].entryName; },
        options.solid ? &plan : nullptr);
    if (result != vorn::kResultOk) {
        *message = u"cannot start the compression";
        return result;
    }
    WrittenFile file;
    for (const PackItem& item : items) {
        encoder.writeNext(&writer, item.entryName.data(), &file,
                          [progress](uint64_t ahead) { progress->within(ahead); });
        result = file.result;
        if (result != vorn::kResultOk) {
            *message =
                !file.message.isEmpty() ? file.message
                : result == vorn::kResultAlreadyExists
                    ? CollisionMessage(file.collidingName, item.entryName)
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
