#pragma once
// The recovery folder, %LOCALAPPDATA%\LorminRecorder\recovery: this instance's journal name, the
// journals that no running instance owns any more, and the discarded ones kept in its
// discarded\ folder.

#include <string>
#include <vector>

// The folder, or empty when %LOCALAPPDATA% is unknown (then nothing is journalled).
std::wstring recoveryFolder();
// This window instance's journal name: the moment it started and its process id.
std::string newJournalStem();

// A journal whose instance no longer runs (its lock file is gone or no longer held).
struct OrphanJournal {
    std::wstring path;
    std::string stem;
};
// Newest first.
std::vector<OrphanJournal> findOrphanJournals(const std::wstring& folder);
// The journal's bytes; false when it cannot be read.
bool readJournalBytes(const std::wstring& path, std::string& bytes);
// Moves the journal into folder\discarded\ and removes the oldest there beyond the last ten;
// false (and the journal stays) when it cannot be moved.
bool discardJournal(const std::wstring& folder, const OrphanJournal& journal);
