#include "VornLib/core/JsonReader.h"

namespace vorn {

namespace {

constexpr uint32_t kMaximumDepth = 64;

bool IsBlank(uint8_t unit) {
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\r';
}

int HexDigit(uint8_t unit) {
    if (unit >= '0' && unit <= '9')
        return unit - '0';
    if (unit >= 'a' && unit <= 'f')
        return unit - 'a' + 10;
    if (unit >= 'A' && unit <= 'F')
        return unit - 'A' + 10;
    return -1;
}

void AppendCodePoint(String* text, uint32_t point) {
    if (point < 0x10000) {
        *text += char16_t(point);
        return;
    }
    point -= 0x10000;
    *text += char16_t(0xD800 + (point >> 10));
    *text += char16_t(0xDC00 + (point & 0x3FF));
}

} // namespace

class JsonParser {
public:
    JsonParser(const uint8_t* bytes, size_t size) : at_(bytes), end_(bytes + size) {}

    bool document(JsonValue* out) {
        if (end_ - at_ >= 3 && at_[0] == 0xEF && at_[1] == 0xBB && at_[2] == 0xBF)
            at_ += 3;
        return value(out, 0) && (skipBlanks(), at_ == end_);
    }

private:
    void skipBlanks() {
        while (at_ < end_ && IsBlank(*at_))
            ++at_;
    }
    bool take(char unit) {
        skipBlanks();
        if (at_ == end_ || *at_ != uint8_t(unit))
            return false;
        ++at_;
        return true;
    }
    bool word(const char* expected) {
        for (; *expected; ++expected, ++at_) {
            if (at_ == end_ || *at_ != uint8_t(*expected))
                return false;
        }
        return true;
    }

    bool value(JsonValue* out, uint32_t depth) {
        skipBlanks();
        if (at_ == end_ || depth > kMaximumDepth)
            return false;
        switch (*at_) {
        case '{':
            return object(out, depth);
        case '[':
            return list(out, depth);
        case '"':
            out->kind_ = JsonValue::Kind::Text;
            return string(&out->text_);
        case 't':
            out->kind_ = JsonValue::Kind::Boolean;
            out->boolean_ = true;
            return word("true");
        case 'f':
            out->kind_ = JsonValue::Kind::Boolean;
            return word("false");
        case 'n':
            return word("null");
        default:
            out->kind_ = JsonValue::Kind::Number;
            return number(&out->text_);
        }
    }

    bool object(JsonValue* out, uint32_t depth) {
        out->kind_ = JsonValue::Kind::Object;
        ++at_;
        if (take('}'))
            return true;
        do {
            String name;
            skipBlanks();
            if (at_ == end_ || *at_ != '"' || !string(&name) || !take(':'))
                return false;
            out->names_.push_back(name);
            out->items_.emplace_back();
            if (!value(&out->items_.back(), depth + 1))
                return false;
        } while (take(','));
        return take('}');
    }

    bool list(JsonValue* out, uint32_t depth) {
        out->kind_ = JsonValue::Kind::List;
        ++at_;
        if (take(']'))
            return true;
        do {
            out->items_.emplace_back();
            if (!value(&out->items_.back(), depth + 1))
                return false;
        } while (take(','));
        return take(']');
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    bool number(String* text) {
        const uint8_t* start = at_;
        auto digits = [&] {
            const uint8_t* first = at_;
            while (at_ < end_ && *at_ >= '0' && *at_ <= '9')
                ++at_;
            return at_ > first;
        };
        if (at_ < end_ && *at_ == '-')
            ++at_;
        if (at_ < end_ && *at_ == '0')
            ++at_;
        else if (!digits())
            return false;
        if (at_ < end_ && *at_ == '.' && (++at_, !digits()))
            return false;
        if (at_ < end_ && (*at_ == 'e' || *at_ == 'E')) {
            ++at_;
            if (at_ < end_ && (*at_ == '+' || *at_ == '-'))
                ++at_;
            if (!digits())
                return false;
        }
        for (const uint8_t* unit = start; unit < at_; ++unit)
            *text += char16_t(*unit);
        return true;
    }

    bool escape(String* text) {
        if (at_ == end_)
            return false;
        const uint8_t unit = *at_++;
        static const char kSimple[] = "\"\"\\\\//b\bf\fn\nr\rt\t";
        for (const char* pair = kSimple; *pair; pair += 2) {
            if (unit == uint8_t(pair[0])) {
                *text += char16_t(pair[1]);
                return true;
            }
        }
        uint32_t code = 0;
        if (unit != 'u' || !hex4(&code))
            return false;
        // A pair of escapes stands for one code point beyond the first plane.
        if (code >= 0xD800 && code < 0xDC00 && end_ - at_ >= 6 && at_[0] == '\\' && at_[1] == 'u') {
            const uint8_t* mark = at_;
            at_ += 2;
            uint32_t low = 0;
            if (hex4(&low) && low >= 0xDC00 && low < 0xE000) {
                AppendCodePoint(text, 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            at_ = mark;
        }
        *text += char16_t(code);
        return true;
    }

    bool hex4(uint32_t* code) {
        if (end_ - at_ < 4)
            return false;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigit(*at_++);
            if (digit < 0)
                return false;
            *code = *code << 4 | uint32_t(digit);
        }
        return true;
    }

    // One UTF-8 sequence, in its shortest form and outside the surrogates.
    bool utf8(String* text) {
        const uint8_t lead = *at_++;
        uint32_t count = 0, point = 0, least = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            count = 1, point = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            count = 2, point = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            count = 3, point = lead & 0x07, least = 0x10000;
        else
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            if (at_ == end_ || (*at_ & 0xC0) != 0x80)
                return false;
            point = point << 6 | (*at_++ & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
            return false;
        AppendCodePoint(text, point);
        return true;
    }

    bool string(String* text) {
        ++at_; // the opening quote
        while (at_ < end_) {
            const uint8_t unit = *at_;
            if (unit == '"') {
                ++at_;
                return true;
            }
            if (unit < 0x20)
                return false;
            if (unit == '\\') {
                ++at_;
                if (!escape(text))
                    return false;
            } else if (unit < 0x80) {
                *text += char16_t(unit);
                ++at_;
            } else if (!utf8(text)) {
                return false;
            }
        }
        return false;
    }

    const uint8_t* at_;
    const uint8_t* end_;
};

bool JsonValue::unsignedNumber(uint64_t* value) const {
    if (kind_ != Kind::Number || text_.isEmpty() || text_.length() > 20)
        return false;
    uint64_t total = 0;
    for (uint32_t i = 0; i < text_.length(); ++i) {
        const char16_t unit = text_[i];
        if (unit < u'0' || unit > u'9')
            return false;
        const uint64_t digit = unit - u'0';
        if (total > (UINT64_MAX - digit) / 10)
            return false;
        total = total * 10 + digit;
    }
    *value = total;
    return true;
}

const JsonValue* JsonValue::member(const char16_t* name) const {
    if (kind_ != Kind::Object)
        return nullptr;
    for (size_t i = names_.size(); i-- > 0;) {
        if (names_[i] == name)
            return &items_[i];
    }
    return nullptr;
}

bool JsonValue::memberText(const char16_t* name, String* text) const {
    const JsonValue* found = member(name);
    if (!found || found->kind_ != Kind::Text)
        return false;
    *text = found->text_;
    return true;
}

Result ParseJson(const uint8_t* bytes, size_t size, JsonValue* out) {
    if (!out)
        return kResultNullOutput;
    *out = JsonValue();
    JsonParser parser(bytes, size);
    if (!bytes || !parser.document(out)) {
        *out = JsonValue();
        return kResultMalformed;
    }
    return kResultOk;
}

} // namespace vorn
