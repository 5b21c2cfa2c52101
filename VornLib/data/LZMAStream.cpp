#include "VornLib/data/LZMAStream.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include <Lzma2Dec.h>
#include <LzmaDec.h>
#include <Ppmd7.h>

#include "VornLib/core/LittleEndian.h"
#include "VornLib/data/DecoderBounds.h"

namespace vorn {
namespace {

void* SdkAlloc(ISzAllocPtr, size_t size) {
    return std::malloc(size);
}
void SdkFree(ISzAllocPtr, void* address) {
    std::free(address);
}
const ISzAlloc kSdkAllocator = {SdkAlloc, SdkFree};

// Only fuzzing builds lower the bound below the largest model accepted: the
// decoder takes the same paths, a model that fills up just restarts sooner.
constexpr uint32_t kPpmdModelBound = VORN_PPMD_MODEL_BOUND;
static_assert(kPpmdModelBound <= LZMAStream::kMaxPpmdMemory, "the bound only lowers the limit");

// Feeds the range decoder from the packed block; past its end it yields zeros
// and remembers the overrun, so damaged data cannot read outside the block.
struct BlockInput {
    IByteIn vtable;
    const uint8_t* current;
    const uint8_t* end;
    bool overrun;
};

Byte ReadBlockByte(IByteInPtr pointer) {
    // The interface is the first member of BlockInput.
    auto* input = reinterpret_cast<BlockInput*>(const_cast<IByteIn*>(pointer));
    if (input->current == input->end) {
        input->overrun = true;
        return 0;
    }
    return *input->current++;
}

} // namespace

struct LZMAStream::Decoder {
    CLzmaDec lzma;
    CLzma2Dec lzma2;
    CPpmd7 ppmd;
    unsigned ppmdOrder = 0;
    bool ready = false;
};

LZMAStream::LZMAStream(LZMAMethod method)
    : BlockStream(u"LZMAStream({0} packed,{1} unpacked)"), method_(method) {}

LZMAStream::~LZMAStream() {
    freeDecoder();
}

void LZMAStream::freeDecoder() {
    if (!decoder_)
        return;
    if (decoder_->ready) {
        switch (method_) {
        case LZMAMethod::Lzma:
            LzmaDec_FreeProbs(&decoder_->lzma, &kSdkAllocator);
            break;
        case LZMAMethod::Lzma2:
            LzmaDec_FreeProbs(&decoder_->lzma2.decoder, &kSdkAllocator);
            break;
        case LZMAMethod::Ppmd:
            Ppmd7_Free(&decoder_->ppmd, &kSdkAllocator);
            break;
        }
    }
    decoder_.reset();
}

Result LZMAStream::close() {
    freeDecoder();
    endBlocks();
    return kResultOk;
}

Result LZMAStream::open(Stream* underlying, uint64_t packedSize, uint64_t unpackedSize) {
    (void)close();
    Result result = beginBlocks(underlying, packedSize, unpackedSize);
    if (result != kResultOk)
        return result;
    decoder_.reset(new (std::nothrow) Decoder);
    if (!decoder_)
        return kResultOutOfMemory;
    uint8_t properties[kPropertySize];
    if ((result = readPacked(properties, kPropertySize)) != kResultOk)
        return result;
    Decoder& decoder = *decoder_;
    switch (method_) {
    case LZMAMethod::Lzma:
        LzmaDec_CONSTRUCT(&decoder.lzma);
        if (LzmaDec_AllocateProbs(&decoder.lzma, properties, kPropertySize, &kSdkAllocator) !=
            SZ_OK)
            return kResultPlatformFailure;
        break;
    case LZMAMethod::Lzma2:
        Lzma2Dec_CONSTRUCT(&decoder.lzma2);
        if (Lzma2Dec_AllocateProbs(&decoder.lzma2, properties[0], &kSdkAllocator) != SZ_OK)
            return kResultPlatformFailure;
        break;
    case LZMAMethod::Ppmd: {
        const unsigned order = properties[0];
        const uint32_t memory = ReadLittleEndian32(properties + 1);
        if (order < PPMD7_MIN_ORDER || order > PPMD7_MAX_ORDER || memory < PPMD7_MIN_MEM_SIZE ||
            memory > kMaxPpmdMemory)
            return kResultPlatformFailure;
        Ppmd7_Construct(&decoder.ppmd);
        if (!Ppmd7_Alloc(&decoder.ppmd, std::min(memory, kPpmdModelBound), &kSdkAllocator))
            return kResultOutOfMemory;
        decoder.ppmdOrder = order;
        break;
    }
    }
    decoder.ready = true;
    return kResultOk;
}

Result LZMAStream::decodeBlockPart(BlockPart* part, uint32_t limit) {
    if (method_ == LZMAMethod::Ppmd)
        return BlockStream::decodeBlockPart(part, limit);
    if (!decoder_ || !decoder_->ready)
        return kResultWrongState;
    // The block is the dictionary, as when it is decoded whole; the decoder
    // keeps it between parts and lets go of it at the block's end or failure.
    CLzmaDec& lzma = method_ == LZMAMethod::Lzma ? decoder_->lzma : decoder_->lzma2.decoder;
    if (part->done == 0 && part->packedUsed == 0) {
        lzma.dic = part->unpacked;
        lzma.dicBufSize = part->length;
        if (method_ == LZMAMethod::Lzma)
            LzmaDec_Init(&lzma);
        else
            Lzma2Dec_Init(&decoder_->lzma2);
    }
    const ELzmaFinishMode finish = limit == part->length ? LZMA_FINISH_END : LZMA_FINISH_ANY;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    SizeT inputLength = part->packedLength - part->packedUsed;
    const uint8_t* input = part->packed + part->packedUsed;
    const SRes res =
        method_ == LZMAMethod::Lzma
            ? LzmaDec_DecodeToDic(&lzma, limit, input, &inputLength, finish, &status)
            : Lzma2Dec_DecodeToDic(&decoder_->lzma2, limit, input, &inputLength, finish, &status);
    part->packedUsed += uint32_t(inputLength);
    part->done = uint32_t(lzma.dicPos);
    const bool reached = res == SZ_OK && lzma.dicPos == limit;
    if (!reached || limit == part->length)
        lzma.dic = nullptr;
    return reached ? kResultOk : kResultPlatformFailure;
}

Result LZMAStream::decodeBlock(const uint8_t* packed, uint32_t packedLength, uint8_t* unpacked,
                               uint32_t unpackedLength) {
    if (!decoder_ || !decoder_->ready)
        return kResultWrongState;
    Decoder& decoder = *decoder_;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    SizeT inputLength = packedLength;
    switch (method_) {
    case LZMAMethod::Lzma: {
        // The block buffer is the dictionary: no copy, and a match can only
        // reach back into bytes this block has already produced.
        CLzmaDec& lzma = decoder.lzma;
        lzma.dic = unpacked;
        lzma.dicBufSize = unpackedLength;
        LzmaDec_Init(&lzma);
        const SRes res = LzmaDec_DecodeToDic(&lzma, unpackedLength, packed, &inputLength,
                                             LZMA_FINISH_END, &status);
        const bool complete = res == SZ_OK && lzma.dicPos == unpackedLength;
        lzma.dic = nullptr;
        return complete ? kResultOk : kResultPlatformFailure;
    }
    case LZMAMethod::Lzma2: {
        CLzma2Dec& lzma2 = decoder.lzma2;
        lzma2.decoder.dic = unpacked;
        lzma2.decoder.dicBufSize = unpackedLength;
        Lzma2Dec_Init(&lzma2);
        const SRes res = Lzma2Dec_DecodeToDic(&lzma2, unpackedLength, packed, &inputLength,
                                              LZMA_FINISH_END, &status);
        const bool complete = res == SZ_OK && lzma2.decoder.dicPos == unpackedLength;
        lzma2.decoder.dic = nullptr;
        return complete ? kResultOk : kResultPlatformFailure;
    }
    case LZMAMethod::Ppmd: {
        BlockInput input{{ReadBlockByte}, packed, packed + packedLength, false};
        CPpmd7& ppmd = decoder.ppmd;
        ppmd.rc.dec.Stream = &input.vtable;
        if (!Ppmd7z_RangeDec_Init(&ppmd.rc.dec))
            return kResultPlatformFailure;
        Ppmd7_Init(&ppmd, decoder.ppmdOrder);
        for (uint32_t i = 0; i < unpackedLength; ++i) {
            const int symbol = Ppmd7z_DecodeSymbol(&ppmd);
            if (symbol < 0 || input.overrun)
                return kResultPlatformFailure;
            unpacked[i] = uint8_t(symbol);
        }
        return input.overrun ? kResultPlatformFailure : kResultOk;
    }
    }
    return kResultNotSupported;
}

} // namespace vorn
