// The atomic file writer, natively and under wine: replacing, taking only a new name, and a
// failed write that leaves everything as it was.
#include "base/atomic_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "support/scoped_seam.h"

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()) : "<none>";
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

uint32_t fixedTag()
{
    return 0x0badc0deu;
}

bool exists(const std::string& path)
{
    return std::ifstream(path).good();
}

TEST(AtomicFile, ReplacesOrTakesOnlyANewNameAndLeavesNoTemporaryFile)
{
    struct Case {
        const char* name;
        FinalName mode;
        bool targetExists;
        FileWriteFailure expected;
        const char* targetAfter;
    } cases[] = {
        {"replace an existing file", FinalName::Replace, true, FileWriteFailure::None, "new\0bytes"},
        {"replace where there is none", FinalName::Replace, false, FileWriteFailure::None, "new\0bytes"},
        {"new name that is free", FinalName::MustBeNew, false, FileWriteFailure::None, "new\0bytes"},
        {"new name that is taken", FinalName::MustBeNew, true, FileWriteFailure::Place, "old"},
    };
    const std::string bytes("new\0bytes", 9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = "lr_atomic_target.bin";
        std::remove(target.c_str());
        if (c.targetExists) {
            writeAll(target, "old");
        }
        unsigned long systemError = 12345;
        const ScopedSeam tag(temporaryTagSeam, &fixedTag);
        EXPECT_EQ(writeFileAtomically(utf8ToWide(target), bytes, c.mode, systemError), c.expected);
        const std::string expectedBytes = c.expected == FileWriteFailure::None ? bytes : std::string(c.targetAfter);
        EXPECT_EQ(readAll(target), expectedBytes);
        if (c.expected == FileWriteFailure::None) {
            EXPECT_EQ(systemError, 0u);
        } else {
            EXPECT_NE(systemError, 0u) << "the system's reason is kept for the message";
        }
        EXPECT_FALSE(exists(target + ".0badc0de.saving")) << "the temporary file never stays behind";
        EXPECT_EQ(std::remove(target.c_str()), c.targetExists || c.expected == FileWriteFailure::None ? 0 : -1);
    }
}

TEST(AtomicFile, AFailedCreateLeavesTheTargetAndTellsTheStep)
{
    const std::string target = "lr_atomic_kept.bin";
    writeAll(target, "kept");
    const std::string blocker = target + ".0badc0de.saving";
    writeAll(blocker, "someone's");
    unsigned long systemError = 0;
    const ScopedSeam tag(temporaryTagSeam, &fixedTag);
    const FileWriteFailure failure = writeFileAtomically(utf8ToWide(target), "lost?", FinalName::Replace, systemError);
    EXPECT_EQ(failure, FileWriteFailure::Create) << "every name tried was taken";
    EXPECT_EQ(readAll(target), "kept");
    EXPECT_EQ(readAll(blocker), "someone's") << "a taken name is never opened";
    std::remove(blocker.c_str());
    std::remove(target.c_str());

    EXPECT_EQ(writeFileAtomically(L"lr_no_such_folder/x.bin", "x", FinalName::Replace, systemError),
              FileWriteFailure::Create);
}

}  // namespace
