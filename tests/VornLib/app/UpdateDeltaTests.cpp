// A delta setup's File attributes: what VornPack writes reads back the same,
// and a list the installer cannot trust is refused rather than read as a
// file carried whole.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/UpdateDelta.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Read(const std::string& attributes, FileBase* base) {
    XmlDocument document;
    const std::string text = "<File Size=\"1\"" + attributes + ">a.txt</File>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadFileBase(*document.root(), base);
}

TEST(UpdateDelta, WrittenAttributesReadBack) {
    for (const FileSource source : {FileSource::Patch, FileSource::Installed}) {
        FileBase written;
        written.source = source;
        written.size = 5000000000ull;
        written.checksum = 0x0a1b2c3d;
        FileBase read;
        ASSERT_EQ(0u, Read(ToUtf8(FileBaseAttributes(written)), &read));
        EXPECT_EQ(source, read.source);
        EXPECT_EQ(written.size, read.size);
        EXPECT_EQ(written.checksum, read.checksum);
    }
    FileBase read;
    EXPECT_EQ(String(), FileBaseAttributes(read)) << "a full setup's list stays as it was";
    read.source = FileSource::Patch;
    ASSERT_EQ(0u, Read("", &read));
    EXPECT_EQ(FileSource::Payload, read.source);
}

TEST(UpdateDelta, RefusesWhatItCannotTrust) {
    FileBase base;
    EXPECT_EQ(kResultMalformed,
              Read(" Source=\"Diff\" BaseSize=\"1\" BaseChecksum=\"00000000\"", &base));
    EXPECT_EQ(kResultMissingDefinition, Read(" Source=\"Patch\" BaseSize=\"1\"", &base));
    EXPECT_EQ(kResultMissingDefinition,
              Read(" Source=\"Installed\" BaseChecksum=\"00000000\"", &base));
    EXPECT_EQ(kResultMalformed,
              Read(" Source=\"Patch\" BaseSize=\"1\" BaseChecksum=\"123\"", &base));
    EXPECT_EQ(kResultMalformed,
              Read(" Source=\"Patch\" BaseSize=\"1\" BaseChecksum=\"1234567g\"", &base));
    EXPECT_EQ(kResultMalformed,
              Read(" Source=\"Patch\" BaseSize=\"-1\" BaseChecksum=\"12345678\"", &base));
    EXPECT_EQ(kResultMalformed,
              Read(" Source=\"Patch\" BaseSize=\"99999999999999999999\" BaseChecksum=\"12345678\"",
                   &base));
    EXPECT_EQ(FileSource::Payload, base.source) << "nothing of a refused element is kept";
}

} // namespace
} // namespace vorn
