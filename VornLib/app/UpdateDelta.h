// A delta setup: a setup that updates one installed version to its own and
// carries only what changed ("VornPack delta" makes it from the two full
// setups). Its file list ("Data/Xml/FileList.xml") names the version it
// applies to, as the installed entry shows it ("DisplayVersion"), beside the
// outermost Files element,
//   <UpdateOf Version="1.0 Beta 2"/>
// and says of each file that it does not carry whole where its bytes come
// from:
//   <File Size="…" Date="…" Source="Patch" BaseSize="…" BaseChecksum="…">…</File>
//     its payload entry is a binary delta (BinaryDelta.h) against the
//     installed file;
//   <File Size="…" Date="…" Source="Installed" BaseSize="…" BaseChecksum="…">…</File>
//     the installed file is the new one, unchanged.
// BaseSize and BaseChecksum (8 hexadecimal digits, the CRC-32 of zlib) are
// those of the installed version's file as its own setup recorded them: the
// delta setup reads no installed file that differs. A file without Source is
// carried whole, as in every full setup; a file the new version no longer
// has is not listed, and the update removes it as any update does.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kUpdateOfElement[] = u"UpdateOf";

enum class FileSource : uint8_t { Payload, Patch, Installed };

struct FileSourceName {
    FileSource source;
    const char16_t* name;
};
constexpr FileSourceName kFileSourceNames[] = {
    {FileSource::Payload, u"Payload"},
    {FileSource::Patch, u"Patch"},
    {FileSource::Installed, u"Installed"},
};

// Where a file's bytes come from, and the installed file they are made of.
struct FileBase {
    FileSource source = FileSource::Payload;
    uint64_t size = 0;
    uint32_t checksum = 0;
};

// A File element's Source, BaseSize and BaseChecksum: 0 (Payload without a
// Source); 6 when a Source other than Payload lacks BaseSize or
// BaseChecksum; 33 for an unknown Source or a checksum that is not 8
// hexadecimal digits.
Result ReadFileBase(const XmlNode& file, FileBase* out);
// The same as attributes for a File element (a space before each), nothing
// for Payload.
String FileBaseAttributes(const FileBase& base);

} // namespace vorn
