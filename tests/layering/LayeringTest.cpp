// The tree keeps its layer order, and the check would see it broken: each case copies the
// tree's sources into a scratch folder, adds one wrong include and expects exactly the
// violations it causes, named by file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/layering/IncludeLayers.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// Copies every folder of the tree except build trees and hidden ones.
void CopySources(const std::string& from, const std::string& to)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name[0] != '.' && name.rfind("build", 0) != 0) {
            fs::copy(entry.path(), fs::path(to) / name, fs::copy_options::recursive);
        }
    }
}

// Appends a line to a file of the scratch tree (creating it and its folder) and gives the
// line's number.
int AppendLine(const std::string& root, const std::string& file, const std::string& text)
{
    const fs::path path = fs::path(root) / file;
    fs::create_directories(path.parent_path());
    int lines = 0;
    {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            ++lines;
        }
    }
    std::ofstream(path, std::ios::app) << text << "\n";
    return lines + 1;
}

struct WrongInclude {
    const char* name;
    const char* file;
    const char* line;
    const char* rule;   // a part of the rule's text
};

}  // namespace

TEST(Layering, TheTreeKeepsItsLayerOrder)
{
    const std::vector<LayerViolation> violations = CheckIncludeLayers(KVR_SOURCE_DIR);
    EXPECT_TRUE(violations.empty()) << DescribeViolations(violations);
}

TEST(Layering, AWrongIncludeInAScratchCopyIsNamedByFileLineAndRule)
{
    const WrongInclude cases[] = {
        {"a layer including one above it", "recording/RecordTimes.cpp", "#include \"ui/CCamera.h\"",
         "recording/ includes ui/, a layer above its own"},
        {"the core including a tool", "playback/PaceClock.cpp", "#include \"tools/CommandLine.h\"",
         "stands above the core"},
        {"Qt below the window code", "platform/Clock.cpp", "#include <QWidget>",
         "platform/ builds without Qt and SDL but includes <QWidget>"},
        {"SDL in kvrtool", "tools/main.cpp", "#  include <SDL.h>", "tools/ builds without Qt and SDL"},
        {"kvrtool including the window code", "tools/main.cpp", "#include \"app/CKvrPlayerDlg.h\"",
         "tools/ never includes the window code (app/)"},
        {"a folder outside the order", "timeline/TimelineRuns.cpp", "#include \"recording/RecordTimes.h\"",
         "timeline/ holds sources but is not in the layer order"},
        {"an include without its folder", "export/Sha256.cpp", "#include \"Sha256.h\"",
         "project includes name their folder"},
    };
    for (const WrongInclude& wrong : cases) {
        SCOPED_TRACE(wrong.name);
        TempDir scratch;
        CopySources(KVR_SOURCE_DIR, scratch.Path());
        const int line = AppendLine(scratch.Path(), wrong.file, wrong.line);

        const std::vector<LayerViolation> violations = CheckIncludeLayers(scratch.Path());
        ASSERT_EQ(violations.size(), 1u) << DescribeViolations(violations);
        EXPECT_EQ(violations[0].file, wrong.file);
        // A folder that is not in the order is named once, at no line of its own.
        if (std::string(wrong.rule).find("not in the layer order") == std::string::npos) {
            EXPECT_EQ(violations[0].line, line);
        }
        EXPECT_NE(violations[0].rule.find(wrong.rule), std::string::npos) << violations[0].rule;
    }
}

TEST(Layering, TwoFoldersOfOneLayerMayNotIncludeEachOther)
{
    TempDir scratch;
    CopySources(KVR_SOURCE_DIR, scratch.Path());
    const int audioLine = AppendLine(scratch.Path(), "audio/MuLaw.cpp", "#include \"video/DecodedFrame.h\"");
    EXPECT_TRUE(CheckIncludeLayers(scratch.Path()).empty()) << "one direction alone is allowed";

    const int videoLine = AppendLine(scratch.Path(), "video/DecodedFrame.cpp", "#include \"audio/MuLaw.h\"");
    const std::vector<LayerViolation> violations = CheckIncludeLayers(scratch.Path());
    ASSERT_EQ(violations.size(), 2u) << DescribeViolations(violations);
    EXPECT_EQ(violations[0].file, "audio/MuLaw.cpp");
    EXPECT_EQ(violations[0].line, audioLine);
    EXPECT_EQ(violations[0].rule, "audio/ and video/ include each other");
    EXPECT_EQ(violations[1].file, "video/DecodedFrame.cpp");
    EXPECT_EQ(violations[1].line, videoLine);
    EXPECT_EQ(violations[1].rule, "video/ and audio/ include each other");
}

TEST(Layering, AMissingTreeIsAViolationNotAPass)
{
    const std::vector<LayerViolation> violations = CheckIncludeLayers("/nonexistent/kvr-tree");
    ASSERT_EQ(violations.size(), 1u);
    EXPECT_EQ(violations[0].rule, "not a readable tree");
}
