// The window-free pieces of the player: the command-line text, the dialog-unit conversion and
// the speed list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLineText.h"
#include "app/DialogTemplate.h"
#include "app/SpeedList.h"

namespace {

std::string TextOf(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "kvrplayer");
    return CommandLineText(static_cast<int>(arguments.size()), arguments.data());
}

TEST(CommandLineTextTest, ArgumentsJoinWholeWithQuotesAndBlanksKept)
{
    EXPECT_EQ(TextOf({}), "");
    EXPECT_EQ(TextOf({"/data/cam.kvr"}), "/data/cam.kvr");
    EXPECT_EQ(TextOf({"/data/my", "recording.kvr"}), "/data/my recording.kvr");
    EXPECT_EQ(TextOf({"/data/two  blanks.kvr"}), "/data/two  blanks.kvr");
    EXPECT_EQ(TextOf({"\"/data/cam.kvr\""}), "\"/data/cam.kvr\"");
    EXPECT_EQ(TextOf({"/data/cam.kvr "}), "/data/cam.kvr ");
    EXPECT_EQ(TextOf({"  /data/cam.kvr"}), "/data/cam.kvr");
    EXPECT_EQ(TextOf({"", "cam.kvr"}), "cam.kvr");
    EXPECT_EQ(TextOf({" "}), "");
    EXPECT_EQ(TextOf({"-platform", "x.kvr"}), "-platform x.kvr");
}

TEST(CommandLineTextTest, OnlyTheExactOptionsAreRequests)
{
    EXPECT_EQ(ClassifyCommandLine("--help"), CommandLineRequest::kHelp);
    EXPECT_EQ(ClassifyCommandLine("--version"), CommandLineRequest::kVersion);
    for (const char* path : {"", "--help ", "--help x.kvr", "--HELP", "-h", "--version.kvr", "\"--help\"", "./--help",
                             "./--version"}) {
        EXPECT_EQ(ClassifyCommandLine(path), CommandLineRequest::kRun) << path;
    }
}

TEST(DialogUnitTest, ScalingRoundsHalvesAwayFromZero)
{
    struct Case {
        int32_t units;
        int32_t base;
        int32_t divisor;
        int32_t pixels;
    };
    const Case cases[] = {
        {484, 6, 4, 726}, {362, 13, 8, 588}, {7, 6, 4, 11},  {7, 7, 4, 12}, {1, 6, 4, 2},
        {15, 13, 8, 24},  {0, 7, 4, 0},      {-7, 6, 4, -11}, {2, 1, 4, 1}, {3, 5, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleDialogUnits(c.units, c.base, c.divisor), c.pixels)
            << c.units << " * " << c.base << " / " << c.divisor;
    }
}

TEST(DialogUnitTest, RectanglesUseQuarterWidthsAndEighthHeights)
{
    const PixelRect rect = DialogRectToPixels(DialogUnitRect{7, 311, 241, 15}, DialogBaseUnits{6, 13});
    EXPECT_EQ(rect.x, 11);
    EXPECT_EQ(rect.y, 505);
    EXPECT_EQ(rect.width, 362);
    EXPECT_EQ(rect.height, 24);
    // The classic 8-point dialog face: 52 letters over 312 pixels give a base width of 6.
    EXPECT_EQ(BaseUnitsFromLetters(312, 13).x, 6);
    EXPECT_EQ(BaseUnitsFromLetters(338, 13).x, 7);   // 6.5 rounds up
    EXPECT_EQ(BaseUnitsFromLetters(337, 13).x, 6);
    EXPECT_EQ(BaseUnitsFromLetters(312, 13).y, 13);
}

TEST(DialogUnitTest, MainTemplateHoldsEveryControlOnce)
{
    const DialogTemplate& dialog = MainDialogTemplate();
    EXPECT_EQ(dialog.width, 484);
    EXPECT_EQ(dialog.height, 362);
    EXPECT_STREQ(dialog.caption, "KVR Player");
    const int32_t ids[] = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1008, 1009, 1013, 1014, 1015, 1016};
    EXPECT_EQ(dialog.controlCount, static_cast<int32_t>(std::size(ids)));
    for (const int32_t id : ids) {
        EXPECT_NE(FindTemplateControl(dialog, id), nullptr) << id;
    }
    EXPECT_EQ(FindTemplateControl(dialog, 1007), nullptr);
    EXPECT_STREQ(FindTemplateControl(dialog, 1015)->text, "Original Size");
    EXPECT_EQ(FindTemplateControl(dialog, 1016)->rect.height, 26);
}

TEST(SpeedListTest, PositionsGiveSpeedIndexesAndNormalOtherwise)
{
    const char* texts[] = {"Slowest", "Slow", "Normal", "Fast", "Fastest"};
    for (int32_t position = 0; position < kSpeedListCount; ++position) {
        EXPECT_STREQ(SpeedListText(position), texts[position]);
        EXPECT_EQ(SpeedIndexForSelection(position), position + 1);
    }
    EXPECT_STREQ(SpeedListText(kSpeedListNormal), "Normal");
    for (const int32_t other : {-1, 5, 100}) {
        EXPECT_EQ(SpeedIndexForSelection(other), 3);
        EXPECT_EQ(SpeedListText(other), nullptr);
    }
}

}  // namespace
