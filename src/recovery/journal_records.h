#pragma once
// The recovery journal's bytes: a file head, then records that are each complete or ignored. A
// record is its body's length and CRC-32, then the body (a kind byte and its payload), so a record
// cut short by a crash or a power cut, or one whose bytes changed, ends the reading and everything
// before it counts (the discipline of a database's write-ahead log). Two kinds: a snapshot of the
// whole document, which replaces whatever came before it, and events a recording appended.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/event_window.h"
#include "script/macro_event.h"
#include "script/script_document.h"

// "LRJOURN1": what every journal starts with (the 1 counts the format).
constexpr std::array<char, 8> kJournalHead = {'L', 'R', 'J', 'O', 'U', 'R', 'N', '1'};
// Length and check in front of every record body.
constexpr size_t kRecordHeaderBytes = 8;
// A longer body is taken for a damaged length (a million-event snapshot needs about 60 MB).
constexpr uint32_t kMaxRecordBody = 1u << 30;

enum class JournalRecord : uint8_t {
    Snapshot = 1,  // the whole document: its file, its window table, its events
    Events = 2,    // events a running recording captured, with the windows they added to the table
};

// The standard CRC-32 (the one of zip and PNG) of bytes, continuing from crc (0 to start).
uint32_t crc32Of(const char* bytes, size_t size, uint32_t crc = 0);

// The 8 bytes that go in front of body: its length and CRC-32, little-endian.
std::array<char, kRecordHeaderBytes> recordHeader(const std::string& body);
// The journal's head and one framed record, as a new journal starts.
std::string journalStart(const std::string& snapshotBody);

// A snapshot body, built in pieces so that a big document can be encoded a slice at a time:
// the head (with the number of events that follow), then exactly that many events.
void beginSnapshotBody(std::string& body, const std::string& sourceFile, const std::vector<WindowIdentity>& windows,
                       size_t eventCount);
void appendEventBytes(std::string& body, const MacroEvent& event);
// The whole snapshot body of a document in one go.
std::string snapshotBody(const std::string& sourceFile, const ScriptContents& contents);
// The body of a recording's events: the window table had windowsBefore entries when they came,
// newWindows were added to it since.
std::string eventsBody(size_t windowsBefore, const std::vector<WindowIdentity>& newWindows,
                       const std::vector<MacroEvent>& events);

// How a reading ended.
enum class JournalEnd {
    Clean,        // after the last complete record
    Torn,         // inside a record cut short (its header or its body)
    BadCheck,     // at a record whose CRC-32 does not match its bytes
    BadRecord,    // at a record whose check matches but whose contents the program cannot use
    NotAJournal,  // the head is missing or wrong: nothing was read
};

struct JournalReading {
    ScriptContents contents;
    std::string sourceFile;  // UTF-8, the file the document came from; empty when none
    size_t records = 0;      // complete records taken
    size_t goodBytes = 0;    // bytes up to the end of the last record taken
    JournalEnd end = JournalEnd::NotAJournal;
};

// Everything the journal's complete records hold, up to the first record that is torn or fails
// its check. Never throws on any input.
JournalReading readJournal(const std::string& bytes);
