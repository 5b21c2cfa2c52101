// String: the framework's only text type. Owned UTF-16 code units, always
// terminated, with a 24-unit inline buffer so that short texts never touch the
// heap. Appends reserve 32 spare units; a chain of `+` written in one
// expression is collected into a StringConcat and allocated once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorn {

// Number of code units before the terminator; 0 for a null pointer.
uint32_t TextLength(const char16_t* text);

// Units 1 to 32, U+0085, U+00A0 and U+2028.
bool IsWhitespace(char16_t unit);

// Ordinal comparison unit by unit: -1, 0 or 1. A null text is the empty text.
int CompareText(const char16_t* a, const char16_t* b);
// The platform's case-insensitive comparison (switch names, language codes).
int CompareTextIgnoringCase(const char16_t* a, const char16_t* b);

class String;

// One operand of a concatenation: a text or a single unit.
struct StringPiece {
    const char16_t* text;
    uint32_t length;
    char16_t unit;
};

template <size_t N> struct StringConcat;

class String {
public:
    static constexpr uint32_t kInlineCapacity = 24;
    static constexpr uint32_t kGrowthSlack = 32;

    String() = default;
    String(const char16_t* text) { assign(text); }
    String(const char16_t* text, uint32_t length) { assign(text, length); }
    String(const String& other) { assign(other.data(), other.length_); }
    String(String&& other) noexcept { moveFrom(other); }
    template <size_t N> String(const StringConcat<N>& concat) {
        assignPieces(concat.pieces, N, concat.totalLength());
    }
    ~String() { release(); }

    String& operator=(const String& other) {
        assign(other.data(), other.length_);
        return *this;
    }
    String& operator=(String&& other) noexcept;
    String& operator=(const char16_t* text) {
        assign(text);
        return *this;
    }
    template <size_t N> String& operator=(const StringConcat<N>& concat) {
        assignPieces(concat.pieces, N, concat.totalLength());
        return *this;
    }

    // Assignment: false when memory ran out (the text is then empty).
    bool assign(const char16_t* text);
    bool assign(const char16_t* text, uint32_t length);
    // Appends: false when memory ran out (the text is then unchanged).
    bool append(char16_t unit);
    bool append(const char16_t* text);
    bool append(const char16_t* text, uint32_t length);
    bool append(const String& text) { return append(text.data(), text.length_); }

    String& operator+=(char16_t unit) {
        append(unit);
        return *this;
    }
    String& operator+=(const char16_t* text) {
        append(text);
        return *this;
    }
    String& operator+=(const String& text) {
        append(text);
        return *this;
    }
    template <size_t N> String& operator+=(const StringConcat<N>& concat) {
        appendPieces(concat.pieces, N, concat.totalLength());
        return *this;
    }

    const char16_t* data() const { return heap_ ? heap_ : inline_; }
    uint32_t length() const { return length_; }
    uint32_t capacity() const { return capacity_; }
    bool isEmpty() const { return length_ == 0; }
    bool usesHeap() const { return heap_ != nullptr; }
    char16_t operator[](uint32_t position) const { return data()[position]; }
    void clear() { assign(nullptr, 0); }

    int compare(const char16_t* other) const { return CompareText(data(), other); }
    int compareIgnoringCase(const char16_t* other) const {
        return CompareTextIgnoringCase(data(), other);
    }
    bool equals(const char16_t* other) const { return compare(other) == 0; }

    // Positions are 0-based; -1 when not found.
    int32_t find(char16_t unit) const;
    int32_t find(const char16_t* text) const;
    int32_t findLast(char16_t unit) const;
    bool startsWith(const char16_t* prefix) const;

    String left(uint32_t count) const;
    String mid(uint32_t position) const;
    String mid(uint32_t position, uint32_t count) const;
    String lastCharacter() const;

    // In-place edits; the replacements return how many units were replaced.
    uint32_t replace(char16_t from, char16_t to);
    uint32_t replace(char16_t from, const char16_t* to);
    void toLowerCase();
    void capitalizeWords();
    void trimLeft();
    void trimRight();
    void simplify();

    // Concatenation machinery (used by the `+` operators below).
    void assignPieces(const StringPiece* pieces, size_t count, uint32_t total);
    void appendPieces(const StringPiece* pieces, size_t count, uint32_t total);

private:
    char16_t* mutableData() { return heap_ ? heap_ : inline_; }
    void release();
    void moveFrom(String& other);
    void setLength(uint32_t length);

    char16_t* heap_ = nullptr;
    uint32_t length_ = 0;
    uint32_t capacity_ = kInlineCapacity;
    char16_t inline_[kInlineCapacity] = {};
};

// A chain of `+` collected until it is assigned, so that it allocates once.
// `data()` gives the joined text for use within the same expression.
template <size_t N> struct StringConcat {
    StringPiece pieces[N];
    mutable String joined;

    uint32_t totalLength() const {
        uint32_t total = 0;
        for (const StringPiece& piece : pieces)
            total += piece.length;
        return total;
    }
    const char16_t* data() const {
        joined.assignPieces(pieces, N, totalLength());
        return joined.data();
    }
};

inline bool operator==(const String& a, const String& b) {
    return a.length() == b.length() && a.compare(b.data()) == 0;
}
inline bool operator==(const String& a, const char16_t* b) {
    return a.compare(b) == 0;
}
inline bool operator!=(const String& a, const String& b) {
    return !(a == b);
}
inline bool operator!=(const String& a, const char16_t* b) {
    return !(a == b);
}
inline bool operator<(const String& a, const String& b) {
    return a.compare(b.data()) < 0;
}

inline StringPiece MakePiece(const String& text) {
    return {text.data(), text.length(), 0};
}
inline StringPiece MakePiece(const char16_t* text) {
    return {text, TextLength(text), 0};
}
inline StringPiece MakePiece(char16_t unit) {
    return {nullptr, 1, unit};
}

inline StringConcat<2> operator+(const String& a, const String& b) {
    return {{MakePiece(a), MakePiece(b)}, {}};
}
inline StringConcat<2> operator+(const String& a, const char16_t* b) {
    return {{MakePiece(a), MakePiece(b)}, {}};
}
inline StringConcat<2> operator+(const char16_t* a, const String& b) {
    return {{MakePiece(a), MakePiece(b)}, {}};
}
inline StringConcat<2> operator+(const String& a, char16_t b) {
    return {{MakePiece(a), MakePiece(b)}, {}};
}
inline StringConcat<2> operator+(char16_t a, const String& b) {
    return {{MakePiece(a), MakePiece(b)}, {}};
}

template <size_t N, typename T>
StringConcat<N + 1> AppendPiece(const StringConcat<N>& concat, const T& next) {
    StringConcat<N + 1> result;
    for (size_t i = 0; i < N; ++i)
        result.pieces[i] = concat.pieces[i];
    result.pieces[N] = MakePiece(next);
    return result;
}
template <size_t N> StringConcat<N + 1> operator+(const StringConcat<N>& a, const String& b) {
    return AppendPiece(a, b);
}
template <size_t N> StringConcat<N + 1> operator+(const StringConcat<N>& a, const char16_t* b) {
    return AppendPiece(a, b);
}
template <size_t N> StringConcat<N + 1> operator+(const StringConcat<N>& a, char16_t b) {
    return AppendPiece(a, b);
}

} // namespace vorn
