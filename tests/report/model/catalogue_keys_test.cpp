// Every figure key and fact key is spelt in its catalogue alone: the other sources of the
// program name a key by its constant (figureKey::..., fact::...), so that a key reads the same
// wherever it is printed and a new one cannot be added anywhere but a catalogue.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace korvale {
namespace {

namespace fs = std::filesystem;

const fs::path sourceDir = KORVALE_SOURCE_DIR;

std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The keys the catalogues' headers spell: `std::string_view name = "key";` for a figure,
// `FactName name{"key", "label"};` for a fact.
std::set<std::string> catalogueKeys() {
    const std::string text = fileText(sourceDir / "report/model/figure_catalogue.h") +
                             fileText(sourceDir / "report/model/fact_catalogue.h");
    const std::regex constant(R"re((std::string_view \w+ = |FactName \w+\{)"([a-z0-9_]+)")re");
    std::set<std::string> keys;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), constant);
         it != std::sregex_iterator(); ++it) {
        keys.insert((*it)[2]);
    }
    return keys;
}

// Files that spell words like keys that are not figure keys: the machine's counters' names.
const std::set<std::string> notFigureKeys = {"play/counter_limit.cpp", "play/counter_limit.h"};

// The literals of a file that spell a figure key: a catalogue key with an underscore, a key of
// the catalogue's forms (per mode, a percentile, the unrounded cost), or any literal handed
// straight to what makes or finds a figure (a key that is not in the catalogue).
std::vector<std::string> spelledKeys(const std::string& text, const std::set<std::string>& keys) {
    const std::regex literal(R"re("([a-z0-9_]+)")re");
    const std::regex keyForm(R"x(mode[0-5]_\w+|\w+_p[0-9]+|\w+_unrounded_cost)x");
    const std::regex handed(
        R"re((makeFigure|makeSeries|makeFact|modeKey\([^,()]*,|percentileKey|countFigure|(?:\.|->)find|\.key = |push_back\(\{)\(?\s*"([a-z0-9_]+)")re");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), literal);
         it != std::sregex_iterator(); ++it) {
        const std::string word = (*it)[1];
        if ((keys.contains(word) && word.find('_') != std::string::npos) ||
            std::regex_match(word, keyForm)) {
            found.push_back(word);
        }
    }
    for (auto it = std::sregex_iterator(text.begin(), text.end(), handed);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[2]);
    }
    return found;
}

TEST(CatalogueKeysTest, KeysAreSpeltInTheCatalogueAlone) {
    const std::set<std::string> keys = catalogueKeys();
    // Keys the program prints (typed from its CSV): the catalogue was read.
    for (const char* key : {"p_ahead", "yen_per_hour", "net_coins_per_attempt", "big_odds",
                            "limit_reached", "break_even_yen", "share", "_unrounded_cost",
                            "big_end", "max_games", "laws", "games_per_second"}) {
        EXPECT_TRUE(keys.contains(key)) << key;
    }
    std::size_t files = 0;
    for (const char* folder : {"report", "play", "batch", "ui", "app"}) {
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(sourceDir / folder)) {
            const fs::path& path = entry.path();
            if (path.extension() != ".cpp" && path.extension() != ".h") {
                continue;
            }
            const std::string name = fs::relative(path, sourceDir).generic_string();
            if (name.starts_with("report/model/figure_catalogue.") ||
                name.starts_with("report/model/fact_catalogue.") || notFigureKeys.contains(name)) {
                continue;
            }
            ++files;
            const std::vector<std::string> found = spelledKeys(fileText(path), keys);
            for (const std::string& key : found) {
                ADD_FAILURE() << name << " spells the key \"" << key
                              << "\": name it from report/model/figure_catalogue.h or "
                                 "fact_catalogue.h";
            }
        }
    }
    EXPECT_GT(files, 50u);
}

// The scan itself: what it takes for a key, and what it leaves.
TEST(CatalogueKeysTest, TheScanFindsKeysInEveryForm) {
    const std::set<std::string> keys = {"p_ahead", "games", "share", "max_games", "day_games"};
    const struct {
        const char* text;
        std::vector<std::string> found;
    } cases[] = {
        {R"x(makeFigure(figureKey::pAhead, 0.5))x", {}},
        {R"x(object["max_games"] = 1;)x", {"max_games"}},
        {R"x(group.find("p_ahead"))x", {"p_ahead", "p_ahead"}},
        {R"x(makeFigure("new_figure", 1.0))x", {"new_figure"}},
        {R"x(modeKey(m, "share"))x", {"share"}},
        {R"x(f.key == "net_coins_p50")x", {"net_coins_p50"}},
        {R"x(s.key.ends_with("mode3_big"))x", {"mode3_big"}},
        {R"x(return "games";  // a unit's name)x", {}},
        {R"x(grid = find("flex1"))x", {}},
        {R"x(Fact{"max_games", "最大ゲーム数"})x", {"max_games"}},
        {R"x(facts.push_back({"new_fact", "新しい事実", "1"}))x", {"new_fact"}},
        {R"x(fact.key = "day_games")x", {"day_games", "day_games"}},
        {R"x(makeFact(fact::maxGames, "2000"))x", {}},
        {R"x(std::string label = "a_b_c";  // no key)x", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(spelledKeys(c.text, keys), c.found) << c.text;
    }
}

}  // namespace
}  // namespace korvale
