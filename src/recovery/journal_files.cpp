#include "recovery/journal_files.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char kJournalExtension[] = ".journal";
constexpr size_t kStemLength = 8 + 1 + 6 + 1 + 3 + 1 + 8;

bool isStem(const std::string& stem)
{
    if (stem.size() != kStemLength) {
        return false;
    }
    for (size_t i = 0; i < stem.size(); ++i) {
        const char c = stem[i];
        const bool dash = i == 8 || i == 15 || i == 19;
        const bool hex = i > 19;
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (hex && c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string journalStem(const JournalInstance& instance)
{
    char stem[40];
    std::snprintf(stem, sizeof stem, "%04d%02d%02d-%02d%02d%02d-%03d-%08x", instance.year % 10000, instance.month % 100,
                  instance.day % 100, instance.hour % 100, instance.minute % 100, instance.second % 100,
                  instance.millisecond % 1000, static_cast<unsigned>(instance.processId));
    return stem;
}

std::string journalFileName(const std::string& stem)
{
    return stem + kJournalExtension;
}

std::string journalLockName(const std::string& stem)
{
    return stem + ".lock";
}

std::string stemOfJournal(const std::string& fileName)
{
    const size_t extension = sizeof kJournalExtension - 1;
    if (fileName.size() <= extension ||
        fileName.compare(fileName.size() - extension, extension, kJournalExtension) != 0) {
        return {};
    }
    std::string stem = fileName.substr(0, fileName.size() - extension);
    return isStem(stem) ? stem : std::string();
}

std::vector<std::string> discardedToRemove(std::vector<std::string> names, size_t keep)
{
    names.erase(
        std::remove_if(names.begin(), names.end(), [](const std::string& name) { return stemOfJournal(name).empty(); }),
        names.end());
    std::sort(names.begin(), names.end(), std::greater<>());
    if (names.size() <= keep) {
        return {};
    }
    return std::vector<std::string>(names.begin() + static_cast<std::ptrdiff_t>(keep), names.end());
}
