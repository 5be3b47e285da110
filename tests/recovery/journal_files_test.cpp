#include "recovery/journal_files.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(JournalFiles, NamesSortByTheInstanceStart)
{
    JournalInstance early{2026, 12, 9, 23, 59, 59, 999, 0xFFFFFFFF};
    JournalInstance late{2026, 12, 10, 0, 0, 0, 0, 4};
    const std::string earlyStem = journalStem(early);
    EXPECT_EQ("20261209-235959-999-ffffffff", earlyStem);
    EXPECT_LT(earlyStem, journalStem(late));
    EXPECT_EQ(earlyStem + ".journal", journalFileName(earlyStem));
    EXPECT_EQ(earlyStem + ".lock", journalLockName(earlyStem));
}

TEST(JournalFiles, OnlyJournalNamesHaveAStem)
{
    const struct {
        const char* name;
        const char* stem;
    } cases[] = {
        {"20261210-142501-123-00001a2c.journal", "20261210-142501-123-00001a2c"},
        {"20261210-142501-123-00001a2c.lock", ""},
        {"20261210-142501-123-00001A2C.journal", ""},
        {"20261210-142501-123-00001a2.journal", ""},
        {"20261210_142501-123-00001a2c.journal", ""},
        {"2026121a-142501-123-00001a2c.journal", ""},
        {".journal", ""},
        {"notes.txt", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.stem, stemOfJournal(c.name)) << c.name;
    }
}

TEST(JournalFiles, TheNewestTenDiscardedJournalsStay)
{
    std::vector<std::string> names;
    for (int i = 0; i < 13; ++i) {
        names.push_back(journalFileName(journalStem(JournalInstance{2026, 12, 10, 12, i, 0, 0, 7})));
    }
    names.push_back("readme.txt");
    std::swap(names[0], names[7]);  // the order found on the disk does not matter
    const std::vector<std::string> removed = discardedToRemove(names);
    ASSERT_EQ(3u, removed.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(journalFileName(journalStem(JournalInstance{2026, 12, 10, 12, 2 - i, 0, 0, 7})), removed[i]);
    }
    names.resize(10);
    EXPECT_TRUE(discardedToRemove(names).empty());
}

}  // namespace
