// A program's own check for updates: the background check never at the
// first start and at most every CheckEveryDays after, and the update
// program's result file read as it writes it.
#include <gtest/gtest.h>

#include <string>

#include "VornLib/app/UpdateCheck.h"

namespace vorn {
namespace {

TEST(UpdateCheck, TheBackgroundCheckWaitsForItsDays) {
    UpdateSchedule schedule;
    EXPECT_FALSE(BackgroundCheckDue(schedule, 20000)) << "never at the first start";
    schedule.started = true;
    schedule.firstStartDay = 20000;
    EXPECT_TRUE(BackgroundCheckDue(schedule, 20000)) << "the second start, never checked";
    schedule.checked = true;
    schedule.lastCheckDay = 20000;
    schedule.checkEveryDays = 7;
    EXPECT_FALSE(BackgroundCheckDue(schedule, 20006));
    EXPECT_TRUE(BackgroundCheckDue(schedule, 20007));
    EXPECT_TRUE(BackgroundCheckDue(schedule, 19990)) << "a clock set back does not stop it";
}

Result Read(const std::string& text, UpdateOffer* offer) {
    return ReadUpdateOffer(reinterpret_cast<const uint8_t*>(text.data()), text.size(), offer);
}

TEST(UpdateCheck, TheResultFileIsReadAsTheUpdateProgramWritesIt) {
    UpdateOffer offer;
    ASSERT_EQ(0u,
              Read("{\n  \"exitCode\": 60,\n  \"outcome\": \"updateAvailable\",\n"
                   "  \"installedVersion\": \"1.0\",\n  \"newVersion\": \"2.0\",\n"
                   "  \"notes\": \"https://vorn.example/2.0.html\",\n  \"checkEveryDays\": 3\n}\n",
                   &offer));
    EXPECT_EQ(60, offer.exitCode);
    EXPECT_TRUE(offer.offered());
    EXPECT_EQ(String(u"1.0"), offer.installedVersion);
    EXPECT_EQ(String(u"https://vorn.example/2.0.html"), offer.notesUrl);
    EXPECT_EQ(3u, offer.checkEveryDays);
    ASSERT_EQ(0u, Read("{\"exitCode\": 0, \"installedVersion\": \"2.0\", \"newVersion\": null, "
                       "\"notes\": null, \"checkEveryDays\": 1}",
                       &offer));
    EXPECT_FALSE(offer.offered());
    for (const char* text : {"", "{\"exitCode\": 0}", "{\"exitCode\": -1, \"checkEveryDays\": 1}",
                             "{\"exitCode\": 0, \"checkEveryDays\": 0}"}) {
        EXPECT_EQ(33u, Read(text, &offer)) << text;
        EXPECT_EQ(-1, offer.exitCode) << text;
    }
}

} // namespace
} // namespace vorn
