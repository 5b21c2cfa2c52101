#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/DateTime.h"

namespace vorn {
namespace {

TEST(TimeStampText, AcceptedForms) {
    DateTime time = 0;
    ASSERT_EQ(0u, ParseTimeStamp(u"2018-03-01T12:30:15.5Z", &time));
    CalendarTime c = CalendarFromDateTime(time);
    EXPECT_EQ(2018, c.year);
    EXPECT_EQ(3u, c.month);
    EXPECT_EQ(1u, c.day);
    EXPECT_EQ(12u, c.hour);
    EXPECT_EQ(30u, c.minute);
    EXPECT_EQ(15u, c.second);
    EXPECT_EQ(500000u, c.microsecond);

    DateTime plain = 0, zulu = 0, comma = 0;
    ASSERT_EQ(0u, ParseTimeStamp(u"2018-03-01T12:30:15", &plain));
    ASSERT_EQ(0u, ParseTimeStamp(u"2018-03-01T12:30:15Z", &zulu));
    ASSERT_EQ(0u, ParseTimeStamp(u"2018-03-01T12:30:15,25Z", &comma));
    EXPECT_EQ(plain, zulu);
    EXPECT_EQ(plain + 250000, comma);
    EXPECT_EQ(TimeStampText(plain), u"2018-03-01T12:30:15Z");
}

TEST(TimeStampText, RejectedForms) {
    const char16_t* rejected[] = {
        u"2018-03-01 12:30:15",   u"2018-03-01T12:30",          u"2018-03-01T12:30:15.5",
        u"2018-03-01T12:30:15.Z", u"2018-03-01T12:30:15+01:00", u"2018-13-01T12:30:15",
        u"20x8-03-01T12:30:15",   u"2018-03-01T12:30:15Zjunk",
    };
    for (const char16_t* text : rejected) {
        DateTime time = 0;
        EXPECT_EQ(33u, ParseTimeStamp(text, &time)) << ToPrintable(text);
        EXPECT_EQ(kInvalidDateTime, time);
    }
    DateTime time = 0;
    EXPECT_EQ(15u, ParseTimeStamp(nullptr, &time));
    EXPECT_EQ(kInvalidDateTime, time);
    EXPECT_EQ(23u, ParseTimeStamp(u"2018-03-01T12:30:15", nullptr));
}

TEST(CalendarConversion, RoundTripsAndEpochs) {
    const CalendarTime dates[] = {
        {1970, 1, 1, 0, 0, 0, 0},          {1601, 1, 1, 0, 0, 0, 0},
        {2000, 2, 29, 23, 59, 59, 999999}, {2026, 12, 7, 21, 37, 19, 5},
        {1969, 12, 31, 23, 59, 59, 0},     {2100, 3, 1, 0, 0, 0, 0},
    };
    for (const CalendarTime& date : dates) {
        const CalendarTime back = CalendarFromDateTime(DateTimeFromCalendar(date));
        EXPECT_EQ(date.year, back.year);
        EXPECT_EQ(date.month, back.month);
        EXPECT_EQ(date.day, back.day);
        EXPECT_EQ(date.hour, back.hour);
        EXPECT_EQ(date.minute, back.minute);
        EXPECT_EQ(date.second, back.second);
        EXPECT_EQ(date.microsecond, back.microsecond);
    }
    EXPECT_EQ(0, DateTimeFromCalendar({1970, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(0u, FileTimeFromDateTime(DateTimeFromCalendar({1601, 1, 1, 0, 0, 0, 0})));
    // 1970-01-01 as a FILETIME.
    EXPECT_EQ(116444736000000000ull, FileTimeFromDateTime(0));
    EXPECT_EQ(0, DateTimeFromFileTime(116444736000000000ull));
}

} // namespace
} // namespace vorn
