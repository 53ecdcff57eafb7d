// The main file a document is checked and built with, found among generated
// programs without asking.
#include "model/MainFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Files = std::map<std::string, std::string>;

struct Case {
    const char* what;
    Files files;               // key and text; the files of /g/ and /g/lib/ on "disk"
    std::vector<std::string> open;  // open documents, the programs in use first
    std::string doc;
    std::string main;
    std::map<std::string, std::string> chosen = {};  // by folder
};

std::string Find(const Case& c, int* reads = nullptr)
{
    MainFileSearch s;
    s.text = [&](const std::string& key) -> std::optional<std::string> {
        if (reads)
            ++*reads;
        const auto it = c.files.find(key);
        return it == c.files.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    s.sources = [&](const std::string& folder) {
        std::vector<std::string> keys;
        for (const auto& [key, text] : c.files)
            if (key.rfind(folder + "/", 0) == 0 && key.find('/', folder.size() + 1) == std::string::npos &&
                key.ends_with(".bb"))
                keys.push_back(key);
        return keys;
    };
    s.chosen = [&](const std::string& folder) -> std::optional<std::string> {
        const auto it = c.chosen.find(folder);
        return it == c.chosen.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    s.known = c.open;
    return s.Find(c.doc);
}

TEST(MainFiles, ADocumentBelongsToTheOutermostProgramThatIncludesIt)
{
    const Files game = {
        {"/g/main.bb", "Include \"map.bb\"\r\nInclude \"lib\\strict.bb\"\r\n"},
        {"/g/map.bb", "Include \"sky.bb\"\r\n"},  // as the compiler reads it: against main.bb's folder
        {"/g/sky.bb", "Global sky\r\n"},
        {"/g/lib/strict.bb", "Include \"lib\\deep.bb\" : Include \"other.bb\"\r\n"},
        {"/g/lib/deep.bb", ""},
        {"/g/lib/other.bb", ""},
        {"/g/tool.bb", "; a program of its own\r\n"},
    };
    const Case cases[] = {
        {"an include of an include, nothing open but itself", game, {"/g/sky.bb"}, "/g/sky.bb", "/g/main.bb"},
        {"from a subfolder, found in the parent folder", game, {}, "/g/lib/deep.bb", "/g/main.bb"},
        // main.bb reads strict.bb's "other.bb" from its own folder.
        {"not through a path the main file reads elsewhere", game, {}, "/g/lib/other.bb", "/g/lib/strict.bb"},
        {"included by nothing", game, {"/g/main.bb"}, "/g/tool.bb", "/g/tool.bb"},
        {"the main file itself", game, {"/g/sky.bb"}, "/g/main.bb", "/g/main.bb"},
        {"an open document elsewhere including it",
         {{"/g/sky.bb", ""}, {"/h/run.bb", "Include \"/g/sky.bb\""}}, {"/h/run.bb"}, "/g/sky.bb", "/h/run.bb"},
        {"the earlier of two programs, open ones first",
         {{"/g/a.bb", "Include \"x.bb\""}, {"/g/b.bb", "Include \"x.bb\""}, {"/g/x.bb", ""}}, {"/g/b.bb"}, "/g/x.bb",
         "/g/b.bb"},
        {"the user's choice before the others",
         {{"/g/a.bb", "Include \"x.bb\""}, {"/g/b.bb", "Include \"x.bb\""}, {"/g/x.bb", ""}}, {"/g/a.bb"}, "/g/x.bb",
         "/g/b.bb", {{"/g", "/g/b.bb"}}},
        {"a choice that does not include it counts for nothing", game, {}, "/g/sky.bb", "/g/main.bb",
         {{"/g", "/g/tool.bb"}}},
        {"two folders below its main file", {{"/g/main.bb", "Include \"a\\b\\common.bb\""}, {"/g/a/b/common.bb", ""}},
         {}, "/g/a/b/common.bb", "/g/main.bb"},
        {"the choice made for a folder above it",
         {{"/g/a.bb", "Include \"s\\t\\x.bb\""}, {"/g/b.bb", "Include \"s\\t\\x.bb\""}, {"/g/s/t/x.bb", ""}}, {},
         "/g/s/t/x.bb", "/g/b.bb", {{"/g", "/g/b.bb"}}},
        {"an include cycle", {{"/g/a.bb", "Include \"b.bb\""}, {"/g/b.bb", "Include \"a.bb\""}}, {}, "/g/b.bb",
         "/g/a.bb"},
        {"a missing include and a drive no file has",
         {{"/g/a.bb", "Include \"gone.bb\"\r\nInclude \"C:\\x.bb\"\r\nInclude \"Z:\\g\\x.bb\""}, {"/g/x.bb", ""}}, {},
         "/g/x.bb", "/g/a.bb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Find(c), c.main) << c.what;
}

TEST(MainFiles, ASearchReadsABoundedNumberOfFiles)
{
    Case c{"", {}, {}, "/g/x.bb", "/g/x.bb"};
    for (int i = 0; i < 3000; ++i)
        c.files["/g/f" + std::to_string(10000 + i) + ".bb"] = "";
    int reads = 0;
    EXPECT_EQ(Find(c, &reads), "/g/x.bb");
    EXPECT_EQ(reads, int(MainFileSearch::kMaxSourcesPerFolder));
}

TEST(MainFiles, AChoiceIsKeptPerFolderInPrefs)
{
    TempDir dir;
    const QString prefs = dir.write("prefs.ini", "[IDEOPTS]\r\nAutoIndent=True\r\n");
    QString error;
    ASSERT_TRUE(mainfiles::SaveChoice(prefs, "/games/one/Main.bb", &error)) << error.toStdString();
    ASSERT_TRUE(mainfiles::SaveChoice(prefs, "/games/two/Start.bb", &error));
    ASSERT_TRUE(mainfiles::SaveChoice(prefs, "/games/one/Other.bb", &error));
    const std::map<std::string, QString> choices = mainfiles::LoadChoices(prefs);
    EXPECT_EQ(choices, (std::map<std::string, QString>{{"/games/one", "/games/one/Other.bb"},
                                                       {"/games/two", "/games/two/Start.bb"}}));
    EXPECT_NE(dir.read("prefs.ini").find("AutoIndent=True"), std::string::npos);
}

}  // namespace
