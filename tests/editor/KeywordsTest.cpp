#include "editor/Keywords.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace {

// Names that share long beginnings, differ in letter case, run past sixteen
// bytes and hold bytes above 0x7F: what the sort has to get right.
std::string RandomName(std::mt19937& random)
{
    static const char* const kStarts[] = {"m", "M", "mScore", "mscore12", "inc0_UpdateEnemy", "INC0_updateenemy", "a",
                                          "\xE9t\xE9", "_x", "Z", ""};
    static const char kTail[] = "aAbB019_$#.()\xC0 ";
    std::string name = kStarts[random() % std::size(kStarts)];
    for (int n = int(random() % 8); n > 0; --n)
        name += kTail[random() % (sizeof kTail - 1)];
    return name;
}

TEST(KeywordList, KeepsLowerCaseNameOrderWithTiesByOrderThroughSortsAndPatches)
{
    std::mt19937 random(42);
    struct Row {
        EditorKeywordPtr entry;
        std::uint64_t order;
    };
    const auto entry = [&random] {
        auto e = std::make_shared<EditorKeyword>();
        e->Name = RandomName(random);
        e->Key = e->Name.substr(0, 2);
        return e;
    };
    std::vector<Row> expected;
    EditorKeywordList list;
    for (std::uint64_t i = 0; i < 6000; ++i) {
        expected.push_back({entry(), random() % 100000});
        list.Add(expected.back().entry, expected.back().order);
    }
    const auto check = [&](const char* when) {
        std::stable_sort(expected.begin(), expected.end(), [](const Row& a, const Row& b) {
            const std::string x = text::ToLower(a.entry->Name);
            const std::string y = text::ToLower(b.entry->Name);
            return x != y ? x < y : a.order < b.order;
        });
        ASSERT_EQ(list.Count(), expected.size()) << when;
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(list.Entries()[i], expected[i].entry) << when << " at " << i;
        // A key finds the first entry holding it in list order.
        std::map<std::string, const EditorKeyword*> first;
        for (const Row& r : expected)
            first.emplace(r.entry->Key, r.entry.get());
        for (const auto& [key, entry] : first)
            ASSERT_EQ(list.Find(key), entry) << when << " " << key;
    };
    check("added");

    // Out go some, in come others, and orders from 50000 on move up.
    for (int round = 0; round < 5; ++round) {
        std::vector<EditorKeywordList::Placed> removed;
        std::vector<EditorKeywordList::Placed> added;
        std::shuffle(expected.begin(), expected.end(), random);
        for (int i = 0; i < 400; ++i) {
            removed.push_back({expected.back().entry, expected.back().order});
            expected.pop_back();
        }
        for (Row& r : expected)
            if (r.order >= 50000)
                r.order += 7;
        for (int i = 0; i < 500; ++i) {
            expected.push_back({entry(), 200000 + random() % 100000});
            added.push_back({expected.back().entry, expected.back().order});
        }
        list.Patch(std::move(removed), std::move(added), 50000, 7);
        check("patched");
    }
}

// An entry's key and type hold what was put in them, of any length, through
// copies, moves and growth, whether they lie in place or on the heap.
TEST(KeywordList, ShortTextsKeepTheirBytes)
{
    const std::string texts[] = {"", "%", std::string("a\0b", 3), "fifteen_bytes__", "sixteen_bytes___",
                                 "inc0_UpdateEnemyPositions1234567"};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            ShortText x(a);
            ShortText y(b);
            ShortText copy(x);
            y = x;
            EXPECT_EQ(y, a);
            ShortText moved(std::move(copy));
            EXPECT_EQ(moved.view(), a);
            x = ShortText(b);
            EXPECT_EQ(x, b);
            EXPECT_EQ(moved, a) << "a copy is its own";
            x += a;
            EXPECT_EQ(x.str(), b + a);
            EXPECT_EQ("[" + x + "]", "[" + b + a + "]");
        }
    }
}

}  // namespace
