#include "VornLib/data/BranchFilter.h"

#include <Bra.h>

namespace vorn {

void ApplyBranchFilter(BranchFilter filter, uint8_t* bytes, size_t size, bool encoding) {
    switch (filter) {
    case BranchFilter::X86: {
        UInt32 state = Z7_BRANCH_CONV_ST_X86_STATE_INIT_VAL;
        if (encoding)
            z7_BranchConvSt_X86_Enc(bytes, size, 0, &state);
        else
            z7_BranchConvSt_X86_Dec(bytes, size, 0, &state);
        break;
    }
    case BranchFilter::Arm64:
        if (encoding)
            z7_BranchConv_ARM64_Enc(bytes, size, 0);
        else
            z7_BranchConv_ARM64_Dec(bytes, size, 0);
        break;
    case BranchFilter::None:
        break;
    }
}

size_t UndoX86FilterAt(uint8_t* data, size_t size, uint32_t position, uint32_t* state) {
    return size_t(z7_BranchConvSt_X86_Dec(data, size, position, state) - data);
}

} // namespace vorn
