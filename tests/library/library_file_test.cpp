// library.json: the layout of the file, defaults, values that cannot be used, and the members
// this version does not know, which survive a rewrite.
#include "library/library_file.h"

#include <gtest/gtest.h>

namespace {

const char kIssueExample[] =
    "{\"v\": 1, \"entries\": [\r\n"
    "  {\"name\": \"晨报\", \"file\": \"C:\\\\Scripts\\\\form.json\", \"key\": \"Ctrl+Alt+1\", \"mode\": "
    "\"toggle\",\r\n"
    "   \"loops\": 1, \"endless\": false, \"speed\": 1.0, \"fidelity\": true, \"follow\": true,\r\n"
    "   \"schedule\": {\"kind\": \"daily\", \"at\": \"08:00:00\", \"days\": [1, 2, 3, 4, 5]}}]}\r\n";

TEST(LibraryFile, TheDocumentedExampleReadsAndWritesBackByteForByte)
{
    Library library;
    std::string error;
    std::vector<std::string> problems;
    ASSERT_TRUE(parseLibrary(kIssueExample, library, error, problems)) << error;
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(library.entries.size(), 1u);
    const LibraryEntry& entry = library.entries[0];
    EXPECT_EQ(entry.name, "晨报");
    EXPECT_EQ(entry.file, "C:\\Scripts\\form.json");
    EXPECT_EQ(chordText(entry.key), "Ctrl+Alt+1");
    EXPECT_EQ(entry.schedule.kind, ScheduleKind::Daily);
    EXPECT_EQ(entry.schedule.at, 8 * 3600);
    EXPECT_EQ(entry.schedule.days, 0x1F);
    EXPECT_EQ(entry.follow, std::optional<bool>(true));
    EXPECT_EQ(formatLibrary(library), kIssueExample);
}

TEST(LibraryFile, LeftOutMembersTakeDefaultsAndUnknownOnesSurvive)
{
    const std::string text = "{\"v\": 1, \"owner\": {\"x\": [1, 2.5, null, \"a\\\"b\"]}, \"entries\": ["
                             "{\"name\": \"a\", \"file\": \"a.json\", \"colour\": \"红\", \"speed\": 2.5, "
                             "\"schedule\": {\"kind\": \"every\", \"minutes\": 5, \"from\": \"22:00\", "
                             "\"to\": \"02:00:00\", \"note\": 7}},"
                             "{\"name\": \"b\", \"file\": \"b.json\", \"mode\": \"held\", \"schedule\": "
                             "{\"kind\": \"once\", \"at\": \"2026-12-24T08:00:00\"}}]}";
    Library library;
    std::string error;
    std::vector<std::string> problems;
    ASSERT_TRUE(parseLibrary(text, library, error, problems)) << error;
    EXPECT_TRUE(problems.empty());
    const LibraryEntry& a = library.entries[0];
    EXPECT_TRUE(a.key.empty());
    EXPECT_EQ(a.mode, KeyMode::Toggle);
    EXPECT_EQ(a.loops, 1);
    EXPECT_TRUE(a.fidelity);
    EXPECT_FALSE(a.follow);  // as the settings say
    EXPECT_TRUE(a.schedule.window);
    EXPECT_EQ(a.schedule.from, 22 * 3600);
    EXPECT_EQ(library.entries[1].mode, KeyMode::Held);

    const std::string written = formatLibrary(library);
    for (const char* kept : {"\"owner\": {\"x\": [1, 2.5, null, \"a\\\"b\"]}", "\"colour\": \"红\"", "\"note\": 7",
                             "\"at\": \"2026-12-24T08:00:00\"", "\"from\": \"22:00:00\""}) {
        EXPECT_NE(written.find(kept), std::string::npos) << kept << "\n" << written;
    }
    Library again;
    ASSERT_TRUE(parseLibrary(written, again, error, problems));
    EXPECT_EQ(formatLibrary(again), written);
}

TEST(LibraryFile, UnusableValuesTakeDefaultsWithALine)
{
    struct Case {
        const char* entry;
        const char* member;
    } cases[] = {
        {"\"loops\": 0", "loops"},
        {"\"loops\": 1.5", "loops"},
        {"\"speed\": 11", "speed"},
        {"\"mode\": \"hold\"", "mode"},
        {"\"key\": \"Ctrl+Nope\"", "key"},
        {"\"follow\": 1", "follow"},
        {"\"schedule\": {\"kind\": \"daily\", \"at\": \"25:00:00\"}", "schedule"},
        {"\"schedule\": {\"kind\": \"daily\", \"at\": \"08:00:00\", \"days\": [0, 8]}", "schedule"},
        {"\"schedule\": {\"kind\": \"every\", \"minutes\": 1441}", "schedule"},
        {"\"schedule\": {\"kind\": \"every\", \"minutes\": 5, \"from\": \"09:00:00\"}", "schedule"},
        {"\"schedule\": {\"kind\": \"once\", \"at\": \"2026-02-30T08:00:00\"}", "schedule"},
        {"\"schedule\": {\"kind\": \"hourly\"}", "schedule"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("{\"entries\": [{\"name\": \"x\", ") + c.entry + "}]}";
        Library library;
        std::string error;
        std::vector<std::string> problems;
        ASSERT_TRUE(parseLibrary(text, library, error, problems)) << c.entry;
        ASSERT_EQ(problems.size(), 1u) << c.entry;
        EXPECT_NE(problems[0].find(c.member), std::string::npos) << problems[0];
        const LibraryEntry& entry = library.entries[0];
        EXPECT_EQ(entry.loops, 1);
        EXPECT_EQ(entry.speed, 1.0);
        EXPECT_EQ(entry.mode, KeyMode::Toggle);
        EXPECT_TRUE(entry.key.empty());
        EXPECT_EQ(entry.schedule.kind, ScheduleKind::None) << c.entry;
    }
}

TEST(LibraryFile, FilesThatCannotBeUsedAreRefusedWhole)
{
    for (const char* text : {"", "[]", "{\"entries\": {}}", "{\"entries\": [1]}", "{\"entries\": [", "nul"}) {
        Library library;
        library.entries.resize(2);
        std::string error;
        std::vector<std::string> problems;
        EXPECT_FALSE(parseLibrary(text, library, error, problems)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(library.entries.size(), 2u);
    }
    Library library;
    std::string error;
    std::vector<std::string> problems;
    EXPECT_TRUE(parseLibrary("\xEF\xBB\xBF{\"v\": 1}", library, error, problems));
    EXPECT_EQ(formatLibrary(library), "{\"v\": 1, \"entries\": []}\r\n");
}

}  // namespace
