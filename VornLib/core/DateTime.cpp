#include "VornLib/core/DateTime.h"

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t year, uint32_t month, uint32_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const uint32_t yearOfEra = uint32_t(year - era * 400);
    const uint32_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const uint32_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, CalendarTime& calendar) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const uint32_t dayOfEra = uint32_t(days - era * 146097);
    const uint32_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const uint32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const uint32_t monthIndex = (5 * dayOfYear + 2) / 153;
    calendar.day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    calendar.month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    calendar.year = int32_t(int64_t(yearOfEra) + era * 400 + (calendar.month <= 2));
}

int64_t FloorDivide(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

constexpr int64_t kMicrosecondsPerDay = 86400 * kMicrosecondsPerSecond;
// 1601-01-01 relative to 1970-01-01, in microseconds.
constexpr int64_t kFileTimeEpoch = -11644473600LL * kMicrosecondsPerSecond;

bool ReadFixedDigits(const char16_t* text, uint32_t count, uint32_t& value) {
    value = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        value = value * 10 + uint32_t(text[i] - u'0');
    }
    return true;
}

} // namespace

DateTime DateTimeFromCalendar(const CalendarTime& c) {
    const int64_t days = DaysFromCivil(c.year, c.month, c.day);
    const int64_t seconds = int64_t(c.hour) * 3600 + int64_t(c.minute) * 60 + c.second;
    return days * kMicrosecondsPerDay + seconds * kMicrosecondsPerSecond + c.microsecond;
}

CalendarTime CalendarFromDateTime(DateTime time) {
    CalendarTime calendar;
    const int64_t days = FloorDivide(time, kMicrosecondsPerDay);
    int64_t rest = time - days * kMicrosecondsPerDay;
    CivilFromDays(days, calendar);
    calendar.microsecond = uint32_t(rest % kMicrosecondsPerSecond);
    rest /= kMicrosecondsPerSecond;
    calendar.second = uint32_t(rest % 60);
    calendar.minute = uint32_t(rest / 60 % 60);
    calendar.hour = uint32_t(rest / 3600);
    return calendar;
}

uint64_t FileTimeFromDateTime(DateTime time) {
    return uint64_t(time - kFileTimeEpoch) * 10;
}

DateTime DateTimeFromFileTime(uint64_t fileTime) {
    return DateTime(fileTime / 10) + kFileTimeEpoch;
}

Result ParseTimeStamp(const char16_t* text, DateTime* out) {
    if (!out)
        return kResultNullOutput;
    *out = kInvalidDateTime;
    if (!text)
        return kResultNullInput;
    if (TextLength(text) < 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' ||
        text[13] != u':' || text[16] != u':')
        return kResultMalformed;
    uint32_t year, month, day, hour, minute, second;
    if (!ReadFixedDigits(text, 4, year) || !ReadFixedDigits(text + 5, 2, month) ||
        !ReadFixedDigits(text + 8, 2, day) || !ReadFixedDigits(text + 11, 2, hour) ||
        !ReadFixedDigits(text + 14, 2, minute) || !ReadFixedDigits(text + 17, 2, second))
        return kResultMalformed;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return kResultMalformed;

    const char16_t* rest = text + 19;
    int64_t fraction = 0;
    if (*rest == u'.' || *rest == u',') {
        ++rest;
        int64_t scale = kMicrosecondsPerSecond;
        bool anyDigit = false;
        for (; *rest >= u'0' && *rest <= u'9'; ++rest) {
            anyDigit = true;
            scale /= 10;
            fraction += scale * (*rest - u'0');
        }
        if (!anyDigit || *rest != u'Z')
            return kResultMalformed;
    }
    if (*rest == u'Z')
        ++rest;
    if (*rest)
        return kResultMalformed;

    CalendarTime calendar;
    calendar.year = int32_t(year);
    calendar.month = month;
    calendar.day = day;
    calendar.hour = hour;
    calendar.minute = minute;
    calendar.second = second;
    const DateTime time = DateTimeFromCalendar(calendar) + fraction;
    if (time == kInvalidDateTime)
        return kResultMalformed;
    *out = time;
    return kResultOk;
}

String TimeStampText(DateTime time) {
    const CalendarTime c = CalendarFromDateTime(time);
    return Format(u"{0,04}-{1,02}-{2,02}T{3,02}:{4,02}:{5,02}Z",
                  {c.year, c.month, c.day, c.hour, c.minute, c.second});
}

} // namespace vorn
