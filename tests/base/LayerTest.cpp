// The layers are libraries, and what a library links is all its folder may include: an include
// upwards (link/ reaching into config/, the core reaching into a Qt folder) fails here even
// where the linker would not notice it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestBus.h"

namespace fs = std::filesystem;

namespace {

// Each library and the libraries it links, as the build wrote them.
using Arrows = std::map<std::string, std::set<std::string>>;

Arrows readArrows(const std::string& path) {
    Arrows arrows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::set<std::string>& to = arrows[line.substr(0, colon)];
        std::stringstream links(line.substr(colon + 1));
        for (std::string l; std::getline(links, l, ';');)
            if (!l.empty())
                to.insert(l);
    }
    return arrows;
}

// What a library may use: itself and everything it links, directly or through another.
std::set<std::string> reach(const Arrows& arrows, const std::string& from) {
    std::set<std::string> seen{from};
    std::vector<std::string> todo{from};
    while (!todo.empty()) {
        const std::string at = todo.back();
        todo.pop_back();
        const auto it = arrows.find(at);
        if (it == arrows.end())
            continue;
        for (const std::string& to : it->second)
            if (seen.insert(to).second)
                todo.push_back(to);
    }
    return seen;
}

// The library a source folder ("config", "config/qt", "common/qt") is built into; empty for
// folders outside the layers (tests, bench, fuzz, the build tool) and those not built.
std::string libraryOf(const std::string& folder, const Arrows& arrows) {
    if (folder.size() > 3 && folder.compare(folder.size() - 3, 3, "/qt") == 0)
        return arrows.count("ui") ? "ui" : "";  // a build without the window has no Qt layer
    return folder.find('/') == std::string::npos && arrows.count(folder) ? folder : "";
}

// "file: include" for every include of a folder against its library's arrows.
std::vector<std::string> includesAgainstTheArrows(const fs::path& root, const Arrows& arrows) {
    static const std::regex include(R"(^\s*#\s*include\s+"([^"]+)/[^"/]+")");
    std::vector<std::string> wrong;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::directory_entry& entry = *it;
        const fs::path rel = fs::relative(entry.path(), root);
        const std::string top = rel.begin()->string();
        if (top == "build" || top == "tests" || top.starts_with('.')) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string ext = rel.extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        const std::string own = libraryOf(rel.parent_path().generic_string(), arrows);
        if (own.empty())
            continue;
        const std::set<std::string> allowed = reach(arrows, own);
        std::ifstream in(entry.path());
        std::smatch m;
        for (std::string line; std::getline(in, line);) {
            if (!std::regex_search(line, m, include))
                continue;
            const std::string used = libraryOf(m[1].str(), arrows);
            if (!used.empty() && !allowed.count(used))
                wrong.push_back(rel.generic_string() + ": " + m[1].str());
        }
    }
    std::sort(wrong.begin(), wrong.end());
    return wrong;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

}  // namespace

TEST(Layers, EveryIncludeFollowsTheArrowsOfTheBuild) {
    const Arrows arrows = readArrows(KORV_LAYERS_FILE);
    // The arrows themselves, as the architecture draws them.
    ASSERT_EQ(arrows.at("link"), (std::set<std::string>{"base"}));
    EXPECT_EQ(reach(arrows, "base"), (std::set<std::string>{"base"}));
    EXPECT_EQ(reach(arrows, "state"), (std::set<std::string>{"state", "link", "base"}));
    EXPECT_FALSE(reach(arrows, "sim").count("state"));
    EXPECT_FALSE(reach(arrows, "cli").count("ui"));
    EXPECT_EQ(joined(includesAgainstTheArrows(fs::path(KORV_TESTS_DIR).parent_path(), arrows)), "");
}

TEST(Layers, APlantedUpwardIncludeIsFound) {
    Arrows arrows = readArrows(KORV_LAYERS_FILE);
    arrows.try_emplace("ui", std::set<std::string>{"core"});  // also where the window is not built
    TempDir dir;
    const auto plant = [&](const std::string& file, const std::string& text) {
        fs::create_directories(fs::path(dir.file(file)).parent_path());
        writeFileBytes(dir.file(file), text);
    };
    plant("link/Bus.cpp", "#include \"link/Bus.h\"\n#include \"config/Download.h\"\n");
    plant("base/Texts.h", "#include \"state/AppContext.h\"\n");
    plant("config/Download.cpp", "#include \"state/AppContext.h\"\n #include \"config/qt/X.h\"\n");
    plant("sim/SimBus.cpp", "#include \"base/NumberText.h\"\n#include \"link/Bus.h\"\n");
    plant("config/qt/Page.cpp", "#include \"calibration/qt/Other.h\"\n#include \"cli/Run.h\"\n");
    plant("tests/link/BusTest.cpp", "#include \"shell/qt/MainFrame.h\"\n");
    EXPECT_EQ(joined(includesAgainstTheArrows(dir.path(), arrows)),
              joined({"base/Texts.h: state", "config/Download.cpp: config/qt",
                      "config/qt/Page.cpp: cli", "link/Bus.cpp: config"}));
}
