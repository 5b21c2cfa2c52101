#include "VornLib/core/NearestWord.h"

#include <vector>

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

char16_t Lower(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
}

} // namespace

uint32_t EditDistance(const String& a, const String& b) {
    std::vector<uint32_t> row(b.length() + 1);
    for (uint32_t j = 0; j <= b.length(); ++j)
        row[j] = j;
    for (uint32_t i = 1; i <= a.length(); ++i) {
        uint32_t diagonal = row[0];
        row[0] = i;
        for (uint32_t j = 1; j <= b.length(); ++j) {
            const uint32_t above = row[j];
            const uint32_t change = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            const uint32_t best = diagonal + change < above + 1 ? diagonal + change : above + 1;
            row[j] = best < row[j - 1] + 1 ? best : row[j - 1] + 1;
            diagonal = above;
        }
    }
    return row[b.length()];
}

void NearestWord::consider(const char16_t* candidate) {
    const uint32_t distance = EditDistance(text_, candidate);
    const uint32_t allowed = text_.length() < 5 ? 1 : 2;
    if (distance <= allowed && distance < best_) {
        best_ = distance;
        word_ = candidate;
    }
}

String NearestWord::hint() const {
    return word_.isEmpty() ? String() : Format(u" (did you mean \"{0}\"?)", {word_});
}

} // namespace vorn
