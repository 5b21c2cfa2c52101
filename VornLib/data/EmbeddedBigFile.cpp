#include "VornLib/data/EmbeddedBigFile.h"

#include "VornLib/data/DataPlatform.h"

namespace vorn {

Result EmbeddedBigFile::open() {
    (void)close();
    const void* bytes = nullptr;
    uint32_t length = 0;
    const Result result = platform::FindPayload(&bytes, &length);
    if (result != kResultOk)
        return result;
    return attach(bytes, length, u"EmbeddedBigFile", kRead);
}

} // namespace vorn
