// The framework's time: signed 64-bit microseconds since 1970-01-01 00:00 UTC.
// The value with only the sign bit set marks an invalid time.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

using DateTime = int64_t;
constexpr DateTime kInvalidDateTime = INT64_MIN;
constexpr int64_t kMicrosecondsPerSecond = 1000000;

struct CalendarTime {
    int32_t year = 1970;
    uint32_t month = 1; // 1-12
    uint32_t day = 1;   // 1-31
    uint32_t hour = 0;
    uint32_t minute = 0;
    uint32_t second = 0;
    uint32_t microsecond = 0;
};

DateTime DateTimeFromCalendar(const CalendarTime& calendar);
CalendarTime CalendarFromDateTime(DateTime time);

// Windows FILETIME: 100 ns units since 1601-01-01 00:00 UTC.
uint64_t FileTimeFromDateTime(DateTime time);
DateTime DateTimeFromFileTime(uint64_t fileTime);

// ISO 8601 in UTC: "YYYY-MM-DDTHH:MM:SS", then optionally "." or "," with
// fraction digits and "Z", or "Z" alone. Failures leave kInvalidDateTime.
Result ParseTimeStamp(const char16_t* text, DateTime* out);
// "YYYY-MM-DDTHH:MM:SSZ"
String TimeStampText(DateTime time);

} // namespace vorn
