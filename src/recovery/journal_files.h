#pragma once
// The names in the recovery folder: one journal per window instance, named after the moment the
// instance started and its process id so that names sort by age, the lock file beside it that
// says the instance still runs, and the rule that keeps the last few discarded journals.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What names a window instance's journal: when it started (local time) and its process.
struct JournalInstance {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    uint32_t processId = 0;
};

// "20261210-142501-123-00001a2c": sorts by the start's moment.
std::string journalStem(const JournalInstance& instance);
// stem + ".journal" and stem + ".lock".
std::string journalFileName(const std::string& stem);
std::string journalLockName(const std::string& stem);
// The stem of a journal's file name, or empty for any other name.
std::string stemOfJournal(const std::string& fileName);

// How many discarded journals are kept.
constexpr size_t kKeptDiscardedJournals = 10;
// Of the journal file names in the discarded folder, the ones to remove so that the newest
// `keep` stay (names sort by age); other names are never touched.
std::vector<std::string> discardedToRemove(std::vector<std::string> names, size_t keep = kKeptDiscardedJournals);
