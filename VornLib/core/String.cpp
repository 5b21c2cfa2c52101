#include "VornLib/core/String.h"

#include <cstdlib>
#include <cstring>

namespace vorn {
namespace {

char16_t* AllocateUnits(uint32_t count) {
    return static_cast<char16_t*>(std::malloc(size_t(count) * sizeof(char16_t)));
}

void CopyUnits(char16_t* destination, const char16_t* source, uint32_t count) {
    if (count)
        std::memmove(destination, source, size_t(count) * sizeof(char16_t));
}

char16_t* WritePieces(char16_t* destination, const StringPiece* pieces, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (pieces[i].text)
            CopyUnits(destination, pieces[i].text, pieces[i].length);
        else if (pieces[i].length)
            *destination = pieces[i].unit;
        destination += pieces[i].length;
    }
    return destination;
}

bool PiecesOverlap(const StringPiece* pieces, size_t count, const char16_t* block,
                   uint32_t capacity) {
    for (size_t i = 0; i < count; ++i) {
        if (pieces[i].text && pieces[i].text >= block && pieces[i].text < block + capacity)
            return true;
    }
    return false;
}

} // namespace

uint32_t TextLength(const char16_t* text) {
    if (!text)
        return 0;
    const char16_t* end = text;
    while (*end)
        ++end;
    return uint32_t(end - text);
}

bool IsWhitespace(char16_t unit) {
    return (unit >= 1 && unit <= 32) || unit == 0x0085 || unit == 0x00A0 || unit == 0x2028;
}

int CompareText(const char16_t* a, const char16_t* b) {
    static const char16_t kEmpty = 0;
    if (!a)
        a = &kEmpty;
    if (!b)
        b = &kEmpty;
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    if (*a == *b)
        return 0;
    return *a < *b ? -1 : 1;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        release();
        moveFrom(other);
    }
    return *this;
}

void String::release() {
    std::free(heap_);
    heap_ = nullptr;
    capacity_ = kInlineCapacity;
}

void String::moveFrom(String& other) {
    if (other.heap_) {
        heap_ = other.heap_;
        capacity_ = other.capacity_;
        other.heap_ = nullptr;
        other.capacity_ = kInlineCapacity;
    } else {
        CopyUnits(inline_, other.inline_, other.length_ + 1);
    }
    length_ = other.length_;
    other.length_ = 0;
    other.inline_[0] = 0;
}

void String::setLength(uint32_t length) {
    length_ = length;
    mutableData()[length] = 0;
}

bool String::assign(const char16_t* text) {
    return assign(text, TextLength(text));
}

bool String::assign(const char16_t* text, uint32_t length) {
    if (text && text == data())
        return true;
    if (!text)
        length = 0;
    if (length < kInlineCapacity) {
        // The source may live inside our own heap block: copy before releasing it.
        CopyUnits(inline_, text, length);
        release();
        setLength(length);
        return true;
    }
    char16_t* block = AllocateUnits(length + 1);
    if (!block) {
        release();
        setLength(0);
        return false;
    }
    CopyUnits(block, text, length);
    release();
    heap_ = block;
    capacity_ = length + 1;
    setLength(length);
    return true;
}

bool String::append(char16_t unit) {
    StringPiece piece{nullptr, 1, unit};
    appendPieces(&piece, 1, 1);
    return length_ > 0 && data()[length_ - 1] == unit;
}

bool String::append(const char16_t* text) {
    return append(text, TextLength(text));
}

bool String::append(const char16_t* text, uint32_t length) {
    if (!text || !length)
        return true;
    const uint32_t before = length_;
    StringPiece piece{text, length, 0};
    appendPieces(&piece, 1, length);
    return length_ == before + length;
}

void String::appendPieces(const StringPiece* pieces, size_t count, uint32_t total) {
    const uint32_t newLength = length_ + total;
    if (newLength < capacity_) {
        // Pieces may point into our own buffer, but only before length_, which stays put.
        WritePieces(mutableData() + length_, pieces, count);
        setLength(newLength);
        return;
    }
    const uint32_t newCapacity = newLength + kGrowthSlack;
    if (heap_ && !PiecesOverlap(pieces, count, heap_, capacity_)) {
        // Same growth rule, but the allocator may extend the block in place,
        // which keeps long runs of appends from copying the text every time.
        void* grown = std::realloc(heap_, size_t(newCapacity) * sizeof(char16_t));
        if (!grown)
            return;
        heap_ = static_cast<char16_t*>(grown);
        capacity_ = newCapacity;
        WritePieces(heap_ + length_, pieces, count);
        setLength(newLength);
        return;
    }
    char16_t* block = AllocateUnits(newCapacity);
    if (!block)
        return;
    CopyUnits(block, data(), length_);
    WritePieces(block + length_, pieces, count);
    release();
    heap_ = block;
    capacity_ = newCapacity;
    setLength(newLength);
}

void String::assignPieces(const StringPiece* pieces, size_t count, uint32_t total) {
    // The destination may be one of the operands: build aside, then take it over.
    if (total < kInlineCapacity) {
        char16_t scratch[kInlineCapacity];
        WritePieces(scratch, pieces, count);
        release();
        CopyUnits(inline_, scratch, total);
        setLength(total);
        return;
    }
    char16_t* block = AllocateUnits(total + kGrowthSlack);
    if (!block) {
        release();
        setLength(0);
        return;
    }
    WritePieces(block, pieces, count);
    release();
    heap_ = block;
    capacity_ = total + kGrowthSlack;
    setLength(total);
}

int32_t String::find(char16_t unit) const {
    const char16_t* text = data();
    for (uint32_t i = 0; i < length_; ++i) {
        if (text[i] == unit)
            return int32_t(i);
    }
    return -1;
}

int32_t String::findLast(char16_t unit) const {
    const char16_t* text = data();
    for (uint32_t i = length_; i > 0; --i) {
        if (text[i - 1] == unit)
            return int32_t(i - 1);
    }
    return -1;
}

int32_t String::find(const char16_t* text) const {
    const uint32_t needle = TextLength(text);
    if (needle > length_)
        return -1;
    const char16_t* haystack = data();
    for (uint32_t i = 0; i + needle <= length_; ++i) {
        if (std::memcmp(haystack + i, text, size_t(needle) * sizeof(char16_t)) == 0)
            return int32_t(i);
    }
    return -1;
}

bool String::startsWith(const char16_t* prefix) const {
    const uint32_t count = TextLength(prefix);
    return count <= length_ && std::memcmp(data(), prefix, size_t(count) * sizeof(char16_t)) == 0;
}

String String::left(uint32_t count) const {
    return String(data(), count < length_ ? count : length_);
}

String String::mid(uint32_t position) const {
    if (position >= length_)
        return String();
    return String(data() + position, length_ - position);
}

String String::mid(uint32_t position, uint32_t count) const {
    if (position >= length_)
        return String();
    const uint32_t available = length_ - position;
    return String(data() + position, count < available ? count : available);
}

String String::lastCharacter() const {
    if (length_ <= 1)
        return *this;
    return String(data() + length_ - 1, 1);
}

uint32_t String::replace(char16_t from, char16_t to) {
    uint32_t count = 0;
    char16_t* text = mutableData();
    for (uint32_t i = 0; i < length_; ++i) {
        if (text[i] == from) {
            text[i] = to;
            ++count;
        }
    }
    return count;
}

uint32_t String::replace(char16_t from, const char16_t* to) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < length_; ++i)
        count += data()[i] == from;
    if (!count)
        return 0;
    const uint32_t replacementLength = TextLength(to);
    const uint32_t newLength = length_ - count + count * replacementLength;
    String result;
    if (newLength >= kInlineCapacity) {
        result.heap_ = AllocateUnits(newLength + kGrowthSlack);
        if (!result.heap_)
            return 0;
        result.capacity_ = newLength + kGrowthSlack;
    }
    char16_t* out = result.mutableData();
    const char16_t* text = data();
    for (uint32_t i = 0; i < length_; ++i) {
        if (text[i] != from) {
            *out++ = text[i];
            continue;
        }
        CopyUnits(out, to, replacementLength);
        out += replacementLength;
    }
    result.setLength(newLength);
    *this = static_cast<String&&>(result);
    return count;
}

void String::toLowerCase() {
    char16_t* text = mutableData();
    for (uint32_t i = 0; i < length_; ++i) {
        if (text[i] >= u'A' && text[i] <= u'Z')
            text[i] = char16_t(text[i] + (u'a' - u'A'));
    }
}

void String::capitalizeWords() {
    char16_t* text = mutableData();
    for (uint32_t i = 0; i < length_; ++i) {
        const bool startsWord = i == 0 || IsWhitespace(text[i - 1]);
        if (startsWord && text[i] >= u'a' && text[i] <= u'z')
            text[i] = char16_t(text[i] - (u'a' - u'A'));
    }
}

void String::trimLeft() {
    uint32_t start = 0;
    while (start < length_ && IsWhitespace(data()[start]))
        ++start;
    if (!start)
        return;
    CopyUnits(mutableData(), data() + start, length_ - start);
    setLength(length_ - start);
}

void String::trimRight() {
    uint32_t end = length_;
    while (end > 0 && IsWhitespace(data()[end - 1]))
        --end;
    if (end != length_)
        setLength(end);
}

void String::simplify() {
    char16_t* text = mutableData();
    uint32_t out = 0;
    bool pendingSpace = false;
    for (uint32_t i = 0; i < length_; ++i) {
        if (IsWhitespace(text[i])) {
            pendingSpace = out > 0;
            continue;
        }
        if (pendingSpace)
            text[out++] = u' ';
        pendingSpace = false;
        text[out++] = text[i];
    }
    setLength(out);
}

} // namespace vorn
