// The folders of the programs are layers: every quoted include points to the
// file's own folder or to one that the README's layout table lets it use, and
// no two folders reach each other, however indirectly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tempFile.h"

namespace fs = std::filesystem;

namespace {

// Folder name (without the slash) to the folders it may include.
using LayerTable = std::map<std::string, std::set<std::string>>;

std::vector<std::string> backticked_folders(const std::string& cell)
{
    std::vector<std::string> out;
    static const std::regex FOLDER("`([a-z]+)/`");
    for (std::sregex_iterator m(cell.begin(), cell.end(), FOLDER), end; m != end; ++m)
        out.push_back((*m)[1]);
    return out;
}

// The rows of the table under "## Code layout": "| `folder/` | what | `a/` `b/` |".
LayerTable read_layer_table(const std::string& readme)
{
    LayerTable table;
    std::istringstream in(readme);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (line.rfind("## ", 0) == 0)
            inSection = line == "## Code layout";
        if (!inSection || line.rfind("| `", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        for (std::string cell; std::getline(row, cell, '|');)
            cells.push_back(cell);
        if (cells.size() < 3)
            continue;
        std::vector<std::string> own = backticked_folders(cells[0]);
        std::vector<std::string> allowed = backticked_folders(cells[2]);
        for (const std::string& folder : own)
            table[folder].insert(allowed.begin(), allowed.end());
    }
    return table;
}

std::string top_folder(const fs::path& relative)
{
    return relative.begin() == relative.end() ? std::string() : relative.begin()->string();
}

// Every include that breaks the table, and every circle between folders, as
// "file:line: message" lines (paths relative to root).
std::vector<std::string> check_layers(const fs::path& root, const LayerTable& table)
{
    std::vector<std::string> faults;
    std::map<std::string, std::set<std::string>> uses; // folder -> folders it includes
    static const std::regex INCLUDE(R"re(^\s*#\s*include\s*"([^"]+)")re");
    for (const auto& [folder, allowed] : table) {
        if (!fs::is_directory(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".c"))
                continue;
            std::string file = fs::relative(entry.path(), root).string();
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                std::smatch m;
                if (!std::regex_search(line, m, INCLUDE))
                    continue;
                fs::path target = (entry.path().parent_path() / m[1].str()).lexically_normal();
                if (!fs::exists(target))
                    target = (root / m[1].str()).lexically_normal();
                if (!fs::exists(target)) {
                    faults.push_back(file + ":" + std::to_string(n) + ": includes \"" + m[1].str()
                        + "\", which is not in the tree");
                    continue;
                }
                std::string to = top_folder(fs::relative(target, root));
                if (to == folder)
                    continue;
                uses[folder].insert(to);
                if (!allowed.count(to))
                    faults.push_back(file + ":" + std::to_string(n) + ": " + folder + "/ may not include "
                        + to + "/ (\"" + m[1].str() + "\")");
            }
        }
    }
    // A circle: a folder that reaches itself through the folders it includes;
    // each circle is named once, from the first of its folders.
    std::set<std::set<std::string>> circles;
    for (const auto& [start, direct] : uses) {
        std::vector<std::vector<std::string>> paths;
        for (const std::string& next : direct)
            paths.push_back({start, next});
        std::set<std::string> seen;
        while (!paths.empty()) {
            std::vector<std::string> path = paths.back();
            paths.pop_back();
            const std::string& last = path.back();
            if (last == start) {
                std::string circle;
                for (const std::string& f : path)
                    circle += (circle.empty() ? "" : " -> ") + f + "/";
                if (circles.insert(std::set<std::string>(path.begin(), path.end())).second)
                    faults.push_back("circle between folders: " + circle);
                break;
            }
            if (!seen.insert(last).second || !uses.count(last))
                continue;
            for (const std::string& next : uses.at(last)) {
                paths.push_back(path);
                paths.back().push_back(next);
            }
        }
    }
    return faults;
}

std::string read_file(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

} // namespace

TEST(Layers, EveryIncludePointsDownTheTable)
{
    fs::path root = TARNWICK_SOURCE_DIR;
    LayerTable table = read_layer_table(read_file(root / "README.md"));
    // The table names every folder of both programs.
    for (const char* folder :
        {"libs", "platform", "core", "device", "kiln", "voxel", "gen", "game", "app", "launcher"})
        ASSERT_TRUE(table.count(folder)) << folder << "/ has no row in the README's layout table";
    for (const auto& entry : fs::directory_iterator(root)) {
        std::string name = entry.path().filename().string();
        bool beside = name == "tools" || name == "bench" || name == "tests" || name == "fuzz"
            || name == "assets" || name == "scripts" || name[0] == '.' || name.rfind("build", 0) == 0;
        if (entry.is_directory() && !beside) {
            EXPECT_TRUE(table.count(name)) << name << "/ is neither a layer of the table nor beside them";
        }
    }
    std::vector<std::string> faults = check_layers(root, table);
    for (const std::string& f : faults)
        ADD_FAILURE() << f;
}

TEST(Layers, AnUpwardIncludeASidewaysOneAndACircleAreEachNamed)
{
    TempDir dir;
    fs::path root = dir.path;
    LayerTable table = read_layer_table("## Code layout\n"
                                        "| `low/` | x | |\n"
                                        "| `left/` | x | `low/` |\n"
                                        "| `right/` | x | `low/` |\n"
                                        "| `top/` | x | `low/` `left/` `right/` |\n"
                                        "## Next\n"
                                        "| `ignored/` | x | `top/` |\n");
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table["top"], (std::set<std::string>{"low", "left", "right"}));
    write_file(root / "low/a.h", "#pragma once\n#include \"../top/t.h\"\n");
    write_file(root / "left/b.cpp", "#include \"../low/a.h\"\n  #  include \"../right/c.h\"\n");
    write_file(root / "right/c.h", "#include \"low/a.h\"\n#include <vector>\n");
    write_file(root / "top/t.h", "#include \"../low/a.h\"\n#include \"../low/missing.h\"\n");
    std::vector<std::string> faults = check_layers(root, table);
    std::set<std::string> got(faults.begin(), faults.end());
    EXPECT_TRUE(got.count("low/a.h:2: low/ may not include top/ (\"../top/t.h\")"))
        << ::testing::PrintToString(faults);
    EXPECT_TRUE(got.count("left/b.cpp:2: left/ may not include right/ (\"../right/c.h\")"))
        << ::testing::PrintToString(faults);
    EXPECT_TRUE(got.count("top/t.h:2: includes \"../low/missing.h\", which is not in the tree"))
        << ::testing::PrintToString(faults);
    EXPECT_TRUE(got.count("circle between folders: low/ -> top/ -> low/"))
        << ::testing::PrintToString(faults);
    // The allowed includes (right/ to low/ from the root, top/ to low/) are not named.
    EXPECT_EQ(faults.size(), 4u) << ::testing::PrintToString(faults);
}
