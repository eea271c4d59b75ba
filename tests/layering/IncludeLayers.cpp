#include "tests/layering/IncludeLayers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Bottom up: a folder includes only its own layer and those below.
const std::map<std::string, int> kCoreLayers = {
    {"Tav", 0},   {"platform", 0}, {"recording", 1}, {"video", 2}, {"audio", 2},
    {"playback", 3}, {"export", 4}, {"resources", 5}, {"ui", 5},    {"app", 6},
};
// Above the core: they may include any layer (tools/ with the exception below).
const std::set<std::string> kAboveCore = {"tools", "bench", "fuzz", "tests", "dist"};
// The window code, which kvrtool never includes: it builds where Qt and SDL are not installed.
const std::set<std::string> kWindowFolders = {"resources", "ui", "app"};
// Folders that build without Qt and SDL, so include neither.
const std::set<std::string> kWindowFreeFolders = {"Tav",    "platform", "recording", "video", "audio",
                                                  "playback", "export", "tools",     "fuzz"};

struct Include {
    std::string file;
    std::string fromFolder;
    int line = 0;
    std::string header;   // as written between the quotes or angle brackets
    bool angled = false;
};

bool IsSourceFile(const fs::path& path)
{
    const std::string ext = path.extension().string();
    return ext == ".h" || ext == ".hpp" || ext == ".cpp" || ext == ".cc";
}

bool IsSkippedFolder(const std::string& name)
{
    return name.empty() || name[0] == '.' || name.rfind("build", 0) == 0;
}

std::string TopFolder(const std::string& relative)
{
    const size_t slash = relative.find('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

void ReadIncludes(const fs::path& path, const std::string& relative, std::vector<Include>& out)
{
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::ifstream in(path);
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        std::smatch match;
        if (std::regex_search(text, match, kInclude)) {
            out.push_back({relative, TopFolder(relative), line, match[2].str(), match[1].str() == "<"});
        }
    }
}

bool IsWindowHeader(const std::string& header)
{
    return (header.size() > 1 && header[0] == 'Q' && std::isupper(static_cast<unsigned char>(header[1]))) ||
           header.rfind("Qt", 0) == 0 || header.rfind("SDL", 0) == 0;
}

bool IsKnownFolder(const std::string& folder)
{
    return kCoreLayers.count(folder) != 0 || kAboveCore.count(folder) != 0;
}

// The rule a project include breaks, or "" when it keeps them all.
std::string LayerRule(const std::string& from, const std::string& to)
{
    if (!IsKnownFolder(to)) {
        return "includes \"" + to + "/\", which is not a folder of the layer order";
    }
    if (from == to) {
        return "";
    }
    const auto fromLayer = kCoreLayers.find(from);
    if (fromLayer != kCoreLayers.end()) {
        const auto toLayer = kCoreLayers.find(to);
        if (toLayer == kCoreLayers.end()) {
            return from + "/ is below " + to + "/, which stands above the core";
        }
        if (toLayer->second > fromLayer->second) {
            return from + "/ includes " + to + "/, a layer above its own";
        }
        return "";
    }
    if (from == "tools" && kWindowFolders.count(to) != 0) {
        return "tools/ never includes the window code (" + to + "/)";
    }
    return "";
}

void CheckMutualFolders(const std::vector<Include>& includes, std::vector<LayerViolation>& out)
{
    // The first include of each direction between two folders.
    std::map<std::pair<std::string, std::string>, const Include*> firstEdge;
    for (const Include& include : includes) {
        const std::string to = TopFolder(include.header);
        if (!include.angled && !to.empty() && to != include.fromFolder) {
            firstEdge.emplace(std::make_pair(include.fromFolder, to), &include);
        }
    }
    for (const auto& [edge, include] : firstEdge) {
        // A pair across layers is already named by the include that runs upwards.
        const bool bothAllowed = LayerRule(edge.first, edge.second).empty() && LayerRule(edge.second, edge.first).empty();
        if (bothAllowed && firstEdge.count({edge.second, edge.first}) != 0) {
            out.push_back({include->file, include->line,
                           edge.first + "/ and " + edge.second + "/ include each other"});
        }
    }
}

}  // namespace

std::vector<LayerViolation> CheckIncludeLayers(const std::string& root)
{
    std::vector<LayerViolation> violations;
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        violations.push_back({root, 0, "not a readable tree"});
        return violations;
    }
    std::vector<Include> includes;
    std::set<std::string> unplacedFolders;
    for (const fs::directory_entry& top : fs::directory_iterator(root, error)) {
        const std::string name = top.path().filename().string();
        if (!top.is_directory() || IsSkippedFolder(name)) {
            continue;
        }
        for (auto it = fs::recursive_directory_iterator(top.path(), error); it != fs::recursive_directory_iterator();
             it.increment(error)) {
            if (it->is_directory() && IsSkippedFolder(it->path().filename().string())) {
                it.disable_recursion_pending();
                continue;
            }
            if (!it->is_regular_file() || !IsSourceFile(it->path())) {
                continue;
            }
            const std::string relative = fs::relative(it->path(), root).generic_string();
            if (!IsKnownFolder(name) && unplacedFolders.insert(name).second) {
                violations.push_back({relative, 0, name + "/ holds sources but is not in the layer order"});
            }
            ReadIncludes(it->path(), relative, includes);
        }
    }

    for (const Include& include : includes) {
        if (include.angled) {
            if (kWindowFreeFolders.count(include.fromFolder) != 0 && IsWindowHeader(include.header)) {
                violations.push_back({include.file, include.line,
                                      include.fromFolder + "/ builds without Qt and SDL but includes <" +
                                          include.header + ">"});
            }
            continue;
        }
        const std::string to = TopFolder(include.header);
        if (to.empty()) {
            violations.push_back({include.file, include.line,
                                  "project includes name their folder (\"" + include.header + "\")"});
            continue;
        }
        const std::string rule = LayerRule(include.fromFolder, to);
        if (!rule.empty()) {
            violations.push_back({include.file, include.line, rule});
        }
    }
    CheckMutualFolders(includes, violations);

    std::sort(violations.begin(), violations.end(), [](const LayerViolation& a, const LayerViolation& b) {
        return std::tie(a.file, a.line, a.rule) < std::tie(b.file, b.line, b.rule);
    });
    return violations;
}

std::string DescribeViolations(const std::vector<LayerViolation>& violations)
{
    std::ostringstream text;
    for (const LayerViolation& violation : violations) {
        text << violation.file << ":" << violation.line << ": " << violation.rule << "\n";
    }
    return text.str();
}
