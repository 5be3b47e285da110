// Feeds arbitrary bytes to the recovery journal's reader, as they are and as the body of one
// record whose check holds (so that the body decoder is reached). Whatever it recovers must
// encode as a snapshot and read back the same, and it never claims more bytes than it was given.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "recovery/journal_records.h"

namespace {

void check(const std::string& bytes)
{
    const JournalReading reading = readJournal(bytes);
    if (reading.goodBytes > bytes.size() || (reading.end == JournalEnd::Clean && reading.goodBytes != bytes.size())) {
        std::abort();
    }
    const JournalReading again = readJournal(journalStart(snapshotBody(reading.sourceFile, reading.contents)));
    if (again.end != JournalEnd::Clean || again.contents.events.size() != reading.contents.events.size() ||
        again.contents.windows.size() != reading.contents.windows.size() || again.sourceFile != reading.sourceFile) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    check(input);
    check(journalStart(input));
    return 0;
}
