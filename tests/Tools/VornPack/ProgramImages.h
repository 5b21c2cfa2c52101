// Programs for the tests of `setup`, built as small Windows images: one built
// on VornLib (its payload holds a document with an Application element) and
// one that carries a payload of other things.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "GrowableStream.h"
#include "PeImageBuilder.h"
#include "Tools/VornPack/Packing.h"

namespace vornpack {

// A container of (name, bytes) entries, stored.
inline std::vector<uint8_t>
TestContainer(const std::vector<std::pair<std::u16string, std::string>>& entries) {
    std::vector<PackItem> items;
    for (const auto& entry : entries)
        items.push_back({vorn::String(entry.first.c_str()),
                         {},
                         std::vector<uint8_t>(entry.second.begin(), entry.second.end()),
                         entry.second.size()});
    PackingOptions options;
    options.method = FindMethod(u"store");
    vorn::GrowableStream out;
    ProgressLine silent(OutputMode::Quiet);
    vorn::String message;
    EXPECT_EQ(0u,
              WriteContainer(items, options, vorn::DateTime(0), &out, u"test", &silent, &message));
    return out.bytes();
}

// A program whose payload (resource 4096) is `container`.
inline std::vector<uint8_t> ProgramWithPayload(const std::vector<uint8_t>& container) {
    ImageSpec spec;
    spec.resources = ProgramResources(false);
    spec.resources.push_back(
        {ResourceKey::Id(kResourceRcData), ResourceKey::Id(4096), 1033, 0, container});
    return BuildTestImage(spec).bytes;
}

// A program built on VornLib whose Application element has `uuid`.
inline std::vector<uint8_t> FrameworkProgramImage(const std::string& uuid) {
    return ProgramWithPayload(TestContainer(
        {{u"Data/Xml/App.xml", "<?xml version=\"1.0\"?>\n<App>\n  <Application UUID=\"" + uuid +
                                   "\" Name=\"App\" Version=\"1\" Company=\"C\" "
                                   "MultipleInstancesAllowed=\"false\"/>\n</App>\n"},
         {u"Data/Pictures/Logo.png", std::string(5000, 'p')}}));
}

} // namespace vornpack
