#include "Tools/VornPack/EntryEncoder.h"
#include "Tools/VornPack/VornNames.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <Lzma2Enc.h>
#include <LzmaEnc.h>
#include <Ppmd7.h>
#include <lzo/lzo1x.h>
#include <zlib.h>

namespace vornpack {
namespace {

using vorn::CompressionKind;

void* SdkAlloc(ISzAllocPtr, size_t size) {
    return std::malloc(size);
}
void SdkFree(ISzAllocPtr, void* address) {
    std::free(address);
}
const ISzAlloc kSdkAllocator = {SdkAlloc, SdkFree};

void Append32(std::vector<uint8_t>* out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out->push_back(uint8_t(value >> (8 * i)));
}

// Compresses one block into `out` (capacity = the block's length); false when
// the method fails or the result would not be smaller than the block.
// Passes the encoders' progress inside a block on to the settings' callback,
// so that a slow block does not leave the progress line standing still.
struct BlockProgress {
    ICompressProgress vtable;
    const EncoderSettings* settings;
    uint64_t blockStart;
};

SRes ReportBlockProgress(ICompressProgressPtr pointer, UInt64 inSize, UInt64) {
    // The interface is the first member of BlockProgress.
    const auto* progress = reinterpret_cast<const BlockProgress*>(pointer);
    progress->settings->blockEncoded(progress->settings->blockContext,
                                     progress->blockStart + inSize);
    return SZ_OK;
}

class BlockCoder {
public:
    virtual ~BlockCoder() = default;
    virtual Result begin(std::vector<uint8_t>* properties) = 0;
    // `progress` is null when nobody listens.
    virtual bool encode(const uint8_t* block, uint32_t length, uint8_t* out, uint32_t* outLength,
                        ICompressProgressPtr progress) = 0;
};

class LzoCoder : public BlockCoder {
public:
    Result begin(std::vector<uint8_t>*) override {
        if (lzo_init() != LZO_E_OK)
            return vorn::kResultPlatformFailure;
        work_.reset(new uint8_t[LZO1X_1_MEM_COMPRESS]);
        return vorn::kResultOk;
    }
    bool encode(const uint8_t* block, uint32_t length, uint8_t* out, uint32_t* outLength,
                ICompressProgressPtr) override {
        // LZO may expand its input; compress into a large enough scratch buffer.
        scratch_.resize(length + length / 16 + 64 + 3);
        lzo_uint packed = 0;
        if (lzo1x_1_compress(block, length, scratch_.data(), &packed, work_.get()) != LZO_E_OK ||
            packed >= length)
            return false;
        std::memcpy(out, scratch_.data(), packed);
        *outLength = uint32_t(packed);
        return true;
    }

private:
    std::unique_ptr<uint8_t[]> work_;
    std::vector<uint8_t> scratch_;
};

class LzmaCoder : public BlockCoder {
public:
    explicit LzmaCoder(const EncoderSettings& settings) : settings_(settings) {}
    Result begin(std::vector<uint8_t>* properties) override {
        LzmaEncProps_Init(&props_);
        props_.level = 7;
        props_.dictSize = settings_.lzmaDictionary;
        const unsigned value = settings_.lzmaProperties;
        props_.lc = int(value % 9);
        props_.lp = int(value / 9 % 5);
        props_.pb = int(value / 45);
        props_.numThreads = int(settings_.matchFinderThreads);
        if (value >= 9 * 5 * 5)
            return vorn::kResultInvalidArgument;
        properties->push_back(settings_.lzmaProperties);
        Append32(properties, settings_.lzmaDictionary);
        return vorn::kResultOk;
    }
    bool encode(const uint8_t* block, uint32_t length, uint8_t* out, uint32_t* outLength,
                ICompressProgressPtr progress) override {
        SizeT packed = length;
        Byte encodedProps[LZMA_PROPS_SIZE];
        SizeT propsSize = LZMA_PROPS_SIZE;
        CLzmaEncProps props = props_;
        props.reduceSize = length;
        const SRes res = LzmaEncode(out, &packed, block, length, &props, encodedProps, &propsSize,
                                    0, progress, &kSdkAllocator, &kSdkAllocator);
        if (res != SZ_OK || packed >= length)
            return false;
        *outLength = uint32_t(packed);
        return true;
    }

private:
    const EncoderSettings& settings_;
    CLzmaEncProps props_;
};

class Lzma2Coder : public BlockCoder {
public:
    explicit Lzma2Coder(const EncoderSettings& settings) : settings_(settings) {}
    ~Lzma2Coder() override {
        if (encoder_)
            Lzma2Enc_Destroy(encoder_);
    }
    Result begin(std::vector<uint8_t>* properties) override {
        encoder_ = Lzma2Enc_Create(&kSdkAllocator, &kSdkAllocator);
        if (!encoder_)
            return vorn::kResultOutOfMemory;
        CLzma2EncProps props;
        Lzma2EncProps_Init(&props);
        props.lzmaProps.level = 7;
        props.lzmaProps.dictSize = settings_.lzma2Dictionary;
        props.numTotalThreads = int(settings_.matchFinderThreads);
        props.numBlockThreads_Max = 1;
        props.blockSize = LZMA2_ENC_PROPS_BLOCK_SIZE_SOLID;
        if (Lzma2Enc_SetProps(encoder_, &props) != SZ_OK)
            return vorn::kResultInvalidArgument;
        properties->push_back(Lzma2Enc_WriteProperties(encoder_));
        Append32(properties, 0);
        return vorn::kResultOk;
    }
    bool encode(const uint8_t* block, uint32_t length, uint8_t* out, uint32_t* outLength,
                ICompressProgressPtr progress) override {
        size_t packed = length;
        Lzma2Enc_SetDataSize(encoder_, length);
        const SRes res =
            Lzma2Enc_Encode2(encoder_, nullptr, out, &packed, nullptr, block, length, progress);
        if (res != SZ_OK || packed >= length)
            return false;
        *outLength = uint32_t(packed);
        return true;
    }

private:
    const EncoderSettings& settings_;
    CLzma2EncHandle encoder_ = nullptr;
};

// Collects the range coder's bytes, stopping (and noting it) at the capacity.
struct BoundedOutput {
    IByteOut vtable;
    uint8_t* current;
    uint8_t* end;
    bool overflow;
};

void WriteBoundedByte(IByteOutPtr pointer, Byte value) {
    // The interface is the first member of BoundedOutput.
    auto* output = reinterpret_cast<BoundedOutput*>(const_cast<IByteOut*>(pointer));
    if (output->current == output->end) {
        output->overflow = true;
        return;
    }
    *output->current++ = value;
}

class PpmdCoder : public BlockCoder {
public:
    explicit PpmdCoder(const EncoderSettings& settings) : settings_(settings) {}
    ~PpmdCoder() override {
        if (allocated_)
            Ppmd7_Free(model_.get(), &kSdkAllocator);
    }
    Result begin(std::vector<uint8_t>* properties) override {
        if (settings_.ppmdOrder < PPMD7_MIN_ORDER || settings_.ppmdOrder > PPMD7_MAX_ORDER ||
            settings_.ppmdMemory < PPMD7_MIN_MEM_SIZE)
            return vorn::kResultInvalidArgument;
        model_.reset(new CPpmd7);
        Ppmd7_Construct(model_.get());
        if (!Ppmd7_Alloc(model_.get(), settings_.ppmdMemory, &kSdkAllocator))
            return vorn::kResultOutOfMemory;
        allocated_ = true;
        properties->push_back(settings_.ppmdOrder);
        Append32(properties, settings_.ppmdMemory);
        return vorn::kResultOk;
    }
    bool encode(const uint8_t* block, uint32_t length, uint8_t* out, uint32_t* outLength,
                ICompressProgressPtr progress) override {
        BoundedOutput output{{WriteBoundedByte}, out, out + length, false};
        CPpmd7* model = model_.get();
        model->rc.enc.Stream = &output.vtable;
        Ppmd7z_Init_RangeEnc(model);
        Ppmd7_Init(model, settings_.ppmdOrder);
        // Give up early once the output can no longer be smaller.
        const uint32_t kStep = 1u << 16;
        for (uint32_t done = 0; done < length && !output.overflow; done += kStep) {
            if (progress)
                progress->Progress(progress, done, 0);
            Ppmd7z_EncodeSymbols(model, block + done, block + std::min(length, done + kStep));
        }
        if (output.overflow)
            return false;
        Ppmd7z_Flush_RangeEnc(model);
        if (output.overflow || output.current - out >= std::ptrdiff_t(length))
            return false;
        *outLength = uint32_t(output.current - out);
        return true;
    }

private:
    const EncoderSettings& settings_;
    std::unique_ptr<CPpmd7> model_;
    bool allocated_ = false;
};

// Deflate without the zlib wrapper, which EntryPrefix and EntrySuffix add:
// all pieces but the last end on a byte boundary with a sync flush, so that
// the next piece, deflated from a fresh state, continues the same stream.
Result DeflatePiece(const uint8_t* data, uint32_t length, bool last, std::vector<uint8_t>* out) {
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return vorn::kResultPlatformFailure;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = length;
    out->resize(deflateBound(&stream, length) + 16);
    int status = Z_OK;
    do {
        if (stream.total_out == out->size())
            out->resize(out->size() * 2);
        stream.next_out = out->data() + stream.total_out;
        stream.avail_out = uInt(out->size() - stream.total_out);
        status = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    } while (status == Z_OK && (last || stream.avail_out == 0));
    out->resize(stream.total_out);
    deflateEnd(&stream);
    return status == (last ? Z_STREAM_END : Z_OK) || (!last && status == Z_BUF_ERROR)
               ? vorn::kResultOk
               : vorn::kResultPlatformFailure;
}

std::unique_ptr<BlockCoder> MakeBlockCoder(CompressionKind kind, const EncoderSettings& settings) {
    switch (kind) {
    case CompressionKind::Lzo:
        return std::unique_ptr<BlockCoder>(new LzoCoder);
    case CompressionKind::Lzma:
        return std::unique_ptr<BlockCoder>(new LzmaCoder(settings));
    case CompressionKind::Ppmd:
        return std::unique_ptr<BlockCoder>(new PpmdCoder(settings));
    case CompressionKind::Lzma2:
        return std::unique_ptr<BlockCoder>(new Lzma2Coder(settings));
    default:
        return nullptr;
    }
}

// The block sequence of `length` bytes, appended to `out`.
Result EncodeBlocks(BlockCoder& coder, const uint8_t* data, size_t length,
                    const EncoderSettings& settings, std::vector<uint8_t>* out) {
    if (settings.blockSize == 0)
        return vorn::kResultInvalidArgument;
    std::vector<uint8_t> block(std::min<size_t>(settings.blockSize, length));
    BlockProgress progress{{ReportBlockProgress}, &settings, 0};
    for (size_t done = 0; done < length;) {
        const uint32_t piece = uint32_t(std::min<size_t>(settings.blockSize, length - done));
        uint32_t packed = 0;
        AppendVarint(out, piece);
        progress.blockStart = done;
        if (coder.encode(data + done, piece, block.data(), &packed,
                         settings.blockEncoded ? &progress.vtable : nullptr)) {
            AppendVarint(out, packed);
            out->insert(out->end(), block.data(), block.data() + packed);
        } else {
            AppendVarint(out, 0);
            out->insert(out->end(), data + done, data + done + piece);
        }
        done += piece;
        if (settings.blockEncoded)
            settings.blockEncoded(settings.blockContext, done);
    }
    return vorn::kResultOk;
}

// zlib's crc32 and adler32 over any length (they take 32-bit lengths).
template <typename Update> uint32_t SumOf(Update update, const uint8_t* data, size_t length) {
    uLong sum = update(0, nullptr, 0);
    for (size_t done = 0; done < length;) {
        const uInt piece = uInt(std::min<size_t>(length - done, 1u << 30));
        sum = update(sum, data + done, piece);
        done += piece;
    }
    return uint32_t(sum);
}

uint32_t AdlerOf(const uint8_t* data, size_t length) {
    return SumOf(adler32, data, length);
}

} // namespace

void AppendVarint(std::vector<uint8_t>* out, uint32_t value) {
    while (value >= 0x80) {
        out->push_back(uint8_t(value | 0x80));
        value >>= 7;
    }
    out->push_back(uint8_t(value));
}

uint32_t ChecksumOf(const uint8_t* data, size_t length) {
    return SumOf(crc32, data, length);
}

uint32_t CombineChecksums(uint32_t first, uint32_t second, uint32_t secondLength) {
    return uint32_t(crc32_combine(first, second, z_off_t(secondLength)));
}

uint32_t CombineAdlers(uint32_t first, uint32_t second, uint32_t secondLength) {
    return uint32_t(adler32_combine(first, second, z_off_t(secondLength)));
}

Result EntryPrefix(CompressionKind kind, const EncoderSettings& settings,
                   std::vector<uint8_t>* out) {
    if (!out)
        return vorn::kResultNullOutput;
    out->clear();
    if (kind == CompressionKind::Stored)
        return vorn::kResultOk;
    if (kind == CompressionKind::Deflate) {
        *out = {0x78, 0xDA}; // deflate, 32 KiB window, best compression
        return vorn::kResultOk;
    }
    std::unique_ptr<BlockCoder> coder = MakeBlockCoder(kind, settings);
    if (!coder)
        return vorn::kResultNotSupported;
    const Result result = coder->begin(out);
    if (result != vorn::kResultOk)
        out->clear();
    return result;
}

void EntrySuffix(CompressionKind kind, uint32_t adler, std::vector<uint8_t>* out) {
    out->clear();
    if (kind == CompressionKind::Deflate)
        *out = {uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8), uint8_t(adler)};
}

Result EncodePiece(CompressionKind kind, const uint8_t* data, uint32_t length, bool last,
                   const EncoderSettings& settings, EncodedPiece* out) {
    if (!data && length)
        return vorn::kResultNullInput;
    if (!out)
        return vorn::kResultNullOutput;
    out->packed.clear();
    out->length = length;
    out->checksum = ChecksumOf(data, length);
    out->adler = kind == CompressionKind::Deflate ? AdlerOf(data, length) : 1;
    Result result = vorn::kResultOk;
    if (kind == CompressionKind::Stored) {
        out->packed.assign(data, data + length);
    } else if (kind == CompressionKind::Deflate) {
        result = DeflatePiece(data, length, last, &out->packed);
    } else {
        std::unique_ptr<BlockCoder> coder = MakeBlockCoder(kind, settings);
        std::vector<uint8_t> properties;
        result = !coder ? vorn::kResultNotSupported : coder->begin(&properties);
        if (result == vorn::kResultOk)
            result = EncodeBlocks(*coder, data, length, settings, &out->packed);
    }
    if (result != vorn::kResultOk)
        out->packed.clear();
    return result;
}

Result EncodeEntry(CompressionKind kind, const uint8_t* data, size_t length,
                   const EncoderSettings& settings, EncodedEntry* out) {
    if (!data && length)
        return vorn::kResultNullInput;
    if (!out)
        return vorn::kResultNullOutput;
    out->packed.clear();
    out->kind = CompressionKind::Stored;
    out->checksum = ChecksumOf(data, length);
    auto storeInstead = [&](Result result) {
        out->packed.assign(data, data + length);
        out->kind = CompressionKind::Stored;
        return result;
    };
    switch (kind) {
    case CompressionKind::Stored:
        return storeInstead(vorn::kResultOk);
    case CompressionKind::Deflate: {
        // Deflate that does not shrink falls back to stored.
        if (length > 0x7FFFFFFFu)
            return vorn::kResultCapacityExceeded;
        std::vector<uint8_t> suffix;
        Result result = EntryPrefix(kind, settings, &out->packed);
        EncodedPiece piece;
        if (result == vorn::kResultOk)
            result = EncodePiece(kind, data, uint32_t(length), true, settings, &piece);
        EntrySuffix(kind, piece.adler, &suffix);
        out->packed.insert(out->packed.end(), piece.packed.begin(), piece.packed.end());
        out->packed.insert(out->packed.end(), suffix.begin(), suffix.end());
        if (result == vorn::kResultOk && out->packed.size() < length) {
            out->kind = kind;
            return result;
        }
        return storeInstead(result);
    }
    default:
        break;
    }
    std::unique_ptr<BlockCoder> coder = MakeBlockCoder(kind, settings);
    if (!coder)
        return vorn::kResultNotSupported;
    Result result = coder->begin(&out->packed);
    if (result == vorn::kResultOk)
        result = EncodeBlocks(*coder, data, length, settings, &out->packed);
    if (result != vorn::kResultOk) {
        out->packed.clear();
        return result;
    }
    out->kind = kind;
    return vorn::kResultOk;
}

} // namespace vornpack
