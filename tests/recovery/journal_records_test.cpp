#include "recovery/journal_records.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

MacroEvent event(EventKind kind, int x, const std::string& keyOrText = {}, int32_t window = kNoWindow)
{
    MacroEvent e;
    e.kind = kind;
    e.delay = 0.25 * x;
    e.x = x;
    e.y = -x;
    e.dx = 1;
    e.dy = -2;
    e.button = MouseButton::Right;
    e.pressed = true;
    e.keyOrText = keyOrText;
    e.window.index = window;
    e.window.x = 7;
    e.window.y = 8;
    e.window.dpi = 144;
    return e;
}

void expectSameEvents(const std::vector<MacroEvent>& expected, const std::vector<MacroEvent>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const MacroEvent& a = expected[i];
        const MacroEvent& b = actual[i];
        EXPECT_TRUE(a.kind == b.kind && a.delay == b.delay && a.x == b.x && a.y == b.y && a.dx == b.dx &&
                    a.dy == b.dy && a.button == b.button && a.pressed == b.pressed && a.keyOrText == b.keyOrText &&
                    a.window.index == b.window.index && a.window.x == b.window.x && a.window.y == b.window.y &&
                    a.window.dpi == b.window.dpi)
            << "event " << i;
    }
}

std::string framed(const std::string& body)
{
    const auto header = recordHeader(body);
    return std::string(header.begin(), header.end()) + body;
}

// A loaded script (one window, three events), then a recording's events appended in two records.
struct SampleJournal {
    ScriptContents first{{event(EventKind::Click, 1, {}, 0), event(EventKind::Text, 2, "你好⏎", 0),
                          event(EventKind::KeyDown, 3, "VK:13")},
                         {{"notepad.exe", "Notepad", "无标题"}}};
    std::vector<MacroEvent> appended{event(EventKind::Scroll, 4, {}, 1), event(EventKind::KeyUp, 5, "A", 0)};
    std::string bytes = journalStart(snapshotBody("C:\\脚本\\a.json", first)) +
                        framed(eventsBody(1, {{"calc.exe", "Calc", ""}}, {appended[0]})) +
                        framed(eventsBody(2, {}, {appended[1]}));
    std::vector<MacroEvent> all() const
    {
        std::vector<MacroEvent> events = first.events;
        events.insert(events.end(), appended.begin(), appended.end());
        return events;
    }
};

TEST(JournalRecords, CrcIsTheStandardOne)
{
    EXPECT_EQ(0xCBF43926u, crc32Of("123456789", 9));
    EXPECT_EQ(crc32Of("123456789", 9), crc32Of("6789", 4, crc32Of("12345", 5)));
}

TEST(JournalRecords, ASnapshotAndAppendedEventsReadBackWhole)
{
    const SampleJournal sample;
    const JournalReading reading = readJournal(sample.bytes);
    EXPECT_EQ(JournalEnd::Clean, reading.end);
    EXPECT_EQ(3u, reading.records);
    EXPECT_EQ(sample.bytes.size(), reading.goodBytes);
    EXPECT_EQ("C:\\脚本\\a.json", reading.sourceFile);
    expectSameEvents(sample.all(), reading.contents.events);
    ASSERT_EQ(2u, reading.contents.windows.size());
    EXPECT_EQ(WindowIdentity({"calc.exe", "Calc", ""}), reading.contents.windows[1]);
}

TEST(JournalRecords, ALaterSnapshotReplacesEverythingBeforeIt)
{
    const SampleJournal sample;
    const ScriptContents later{{event(EventKind::Move, 9)}, {}};
    const JournalReading reading = readJournal(sample.bytes + framed(snapshotBody("", later)));
    EXPECT_EQ(JournalEnd::Clean, reading.end);
    EXPECT_EQ("", reading.sourceFile);
    expectSameEvents(later.events, reading.contents.events);
    EXPECT_TRUE(reading.contents.windows.empty());
}

TEST(JournalRecords, AJournalCutAnywhereInsideItsLastRecordKeepsEverythingBefore)
{
    const SampleJournal sample;
    const size_t lastRecord = sample.bytes.size() - framed(eventsBody(2, {}, {sample.appended[1]})).size();
    std::vector<MacroEvent> before = sample.all();
    before.pop_back();
    for (size_t cut = lastRecord + 1; cut < sample.bytes.size(); ++cut) {
        const JournalReading reading = readJournal(sample.bytes.substr(0, cut));
        ASSERT_EQ(JournalEnd::Torn, reading.end) << "cut at " << cut;
        EXPECT_EQ(lastRecord, reading.goodBytes) << "cut at " << cut;
        EXPECT_EQ(2u, reading.records);
        expectSameEvents(before, reading.contents.events);
    }
    // Cut right at the record's start: nothing torn, the same events.
    const JournalReading atBoundary = readJournal(sample.bytes.substr(0, lastRecord));
    EXPECT_EQ(JournalEnd::Clean, atBoundary.end);
    expectSameEvents(before, atBoundary.contents.events);
}

TEST(JournalRecords, ALastRecordWithAnyChangedByteIsIgnored)
{
    const SampleJournal sample;
    const size_t lastRecord = sample.bytes.size() - framed(eventsBody(2, {}, {sample.appended[1]})).size();
    std::vector<MacroEvent> before = sample.all();
    before.pop_back();
    for (size_t at = lastRecord; at < sample.bytes.size(); ++at) {
        std::string damaged = sample.bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        const JournalReading reading = readJournal(damaged);
        // A changed length reads as a record cut short (or too long to be one); anything else
        // fails the check.
        const JournalEnd expected = at < lastRecord + 4 ? reading.end : JournalEnd::BadCheck;
        EXPECT_NE(JournalEnd::Clean, reading.end) << "byte " << at;
        EXPECT_EQ(expected, reading.end) << "byte " << at;
        EXPECT_EQ(lastRecord, reading.goodBytes) << "byte " << at;
        expectSameEvents(before, reading.contents.events);
    }
}

TEST(JournalRecords, RecordsWhoseCheckHoldsButWhoseContentsCannotBeUsedEndTheReading)
{
    const SampleJournal sample;
    MacroEvent badText = event(EventKind::Text, 1, std::string("\xC3\x28", 2));
    MacroEvent badDelay = event(EventKind::Move, 1);
    badDelay.delay = -1.0;
    std::string trailing = eventsBody(2, {}, {});
    trailing += 'x';
    std::string badKind = eventsBody(2, {}, {event(EventKind::Move, 1)});
    badKind[1 + 4 + 4 + 4] = 9;  // after the kind byte, windowsBefore, window count, event count
    const struct {
        const char* name;
        std::string body;
    } cases[] = {
        {"unknown record kind", std::string(1, '\x07')},
        {"window table out of step", eventsBody(1, {}, {event(EventKind::Move, 1)})},
        {"window index past the table", eventsBody(2, {}, {event(EventKind::Click, 1, {}, 2)})},
        {"text that is not UTF-8", eventsBody(2, {}, {badText})},
        {"negative delay", eventsBody(2, {}, {badDelay})},
        {"bytes after the last event", trailing},
        {"event kind out of range", badKind},
        {"more events than bytes", eventsBody(2, {}, {}).substr(0, 9) + std::string("\xFF\xFF\xFF\x0F", 4)},
    };
    for (const auto& c : cases) {
        const JournalReading reading = readJournal(sample.bytes + framed(c.body));
        EXPECT_EQ(JournalEnd::BadRecord, reading.end) << c.name;
        EXPECT_EQ(sample.bytes.size(), reading.goodBytes) << c.name;
        expectSameEvents(sample.all(), reading.contents.events);
    }
}

TEST(JournalRecords, BytesWithoutTheHeadAreNoJournal)
{
    for (const std::string& bytes : {std::string(), std::string("LRJOURN"), std::string("LRJOURN2") + "xxxxxxxx"}) {
        const JournalReading reading = readJournal(bytes);
        EXPECT_EQ(JournalEnd::NotAJournal, reading.end);
        EXPECT_TRUE(reading.contents.events.empty());
    }
    EXPECT_EQ(JournalEnd::Clean, readJournal(std::string(kJournalHead.begin(), kJournalHead.end())).end);
}

TEST(JournalRecords, ASnapshotBuiltInSlicesIsTheOneBuiltAtOnce)
{
    const SampleJournal sample;
    std::string sliced;
    beginSnapshotBody(sliced, "a", sample.first.windows, sample.first.events.size());
    for (const MacroEvent& e : sample.first.events) {
        appendEventBytes(sliced, e);
    }
    EXPECT_EQ(snapshotBody("a", sample.first), sliced);
}

TEST(RecoveredDocument, IsUnsavedRemembersItsFileAndForgetsItOnReplace)
{
    ScriptDocument document;
    document.setSourceFile("C:\\a.json");
    document.restoreUnsaved(ScriptContents{{event(EventKind::Move, 1)}, {}}, "C:\\b.json");
    EXPECT_TRUE(document.isUnsaved());
    EXPECT_TRUE(document.isRecovered());
    EXPECT_EQ("C:\\b.json", document.sourceFile());
    EXPECT_FALSE(document.canUndo());
    document.replace(ScriptContents{});
    EXPECT_FALSE(document.isRecovered());
    EXPECT_EQ("", document.sourceFile());
}

}  // namespace
