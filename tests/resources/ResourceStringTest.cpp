// The string table, linked without any window code.
#include <gtest/gtest.h>

#include <string>

#include "resources/ResourceIds.h"

TEST(ResourceStringTest, TableHoldsTheProgramsTexts)
{
    EXPECT_STREQ(LoadResourceString(kStringAbout), "&About KvrPlayer...");
    EXPECT_STREQ(LoadResourceString(kStringInvalidFile), "Invaild File");
    EXPECT_STREQ(LoadResourceString(kStringReadFailed), "Fail to read media file");
}

TEST(ResourceStringTest, UnknownNumbersGiveEmptyText)
{
    for (int id : {0, 100, 104, kIconApp, -1}) {
        const char* text = LoadResourceString(id);
        ASSERT_NE(text, nullptr) << id;
        EXPECT_STREQ(text, "") << id;
    }
}
