#include <gtest/gtest.h>

#include "recording/CaptionText.h"
#include "recording/TypedTime.h"

namespace {

// 2010-03-05 14:07:40 UTC.
constexpr int64_t kAt = 1267798060LL * 100;

}  // namespace

TEST(TypedTime, EveryFormPeopleTypeLandsOnItsTime)
{
    const int64_t shownDay = kAt + 5 * 3600 * 100;   // later the same day
    struct Case { const char* text; int64_t hundredths; };
    const Case cases[] = {
        {"Mar 05,2010 14:07:40.000", kAt},
        {"Mar 05,2010 14:07:40.350", kAt + 35},
        {"Mar 05,2010 14:07:40", kAt},
        {"mar 5,2010 14:07:40.5", kAt + 50},
        {"2010-03-05 14:07:40", kAt},
        {"2010-03-05T14:07:40", kAt},
        {"2010-03-05 14:07:40.250", kAt + 25},
        {"2010-03-05T14:07:40.25Z", kAt + 25},
        {"2010-03-05 14:07:40.259", kAt + 25},   // below a hundredth is dropped
        {"14:07:40", kAt},
        {"14:07:40.120", kAt + 12},
        {"  2010-03-05 14:07:40 \n", kAt},          // as pasted
        {"2010-03-05 0:00:00", kAt - (14 * 3600 + 7 * 60 + 40) * 100},
    };
    for (const Case& c : cases) {
        int64_t hundredths = -1;
        ASSERT_EQ(ParseTypedTime(c.text, shownDay, &hundredths), 0) << c.text;
        EXPECT_EQ(hundredths, c.hundredths) << c.text;
    }
    // The caption's own text reads back as the caption's time.
    int64_t fromCaption = -1;
    ASSERT_EQ(ParseTypedTime("Mar 05,2010 14:07:09.350", -1, &fromCaption), 0);
    EXPECT_EQ(fromCaption, CaptionWallClock("Mar 05,2010 14:07:09.350"));
}

TEST(TypedTime, AnythingElseIsRefused)
{
    const char* const refused[] = {
        "", "   ", "tomorrow", "Mar 05 2010 14:07:40", "Mrz 05,2010 14:07:40", "Feb 30,2010 14:07:40",
        "2010-13-05 14:07:40", "2010-03-05 24:00:00", "2010-03-05 14:60:00", "2010-03-05 14:07:61",
        "2010-03-05", "2010/03/05 14:07:40", "2010-03-05 14:07:40.1234", "2010-03-05 14:07:40.",
        "14:07", "14:07:40 pm", "1969-12-31 23:59:59", "2010-03-05 14:07:40ZZ",
    };
    for (const char* text : refused) {
        int64_t hundredths = 7;
        EXPECT_EQ(ParseTypedTime(text, kAt, &hundredths), -1) << '"' << text << '"';
        EXPECT_EQ(hundredths, 7) << text;
    }
    int64_t hundredths = 0;
    EXPECT_EQ(ParseTypedTime("14:07:40", -1, &hundredths), -1) << "a time of day needs a day shown";
    EXPECT_EQ(ParseTypedTime(nullptr, kAt, &hundredths), -1);
}
