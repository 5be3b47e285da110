#pragma once
// The program's one atomic file writer: the bytes go to a new temporary file beside the target
// (a unique name, created exclusively, so no file that was there before is ever opened), which
// then takes the target's name in one step, so that nobody ever sees a half-written target and a
// failed write never costs the previous file.

#include <cstdint>
#include <cstdio>
#include <string>

enum class FinalName {
    Replace,    // an existing target is replaced (the script and settings saves)
    MustBeNew,  // an existing target stays and the step fails (a download never replaces a file)
};

// The step a write failed at.
enum class FileWriteFailure { None, Create, Write, Place };

// Writes bytes to target through a temporary file beside it. On failure nothing is left behind,
// the target is as it was and systemError holds the system's error code (0 when unknown).
FileWriteFailure writeFileAtomically(const std::wstring& target, const std::string& bytes, FinalName mode,
                                     unsigned long& systemError);

// The pieces, for a writer that fills its temporary file itself.

// Creates "<target>.<8 hex digits>.saving", a file that did not exist before, in the target's
// folder, so that the final step stays one rename on the same volume. A name that is taken
// (someone's file, a folder, a leftover of an earlier crash) is never opened; another tag is
// tried. Null when no file could be created, for any other reason at once.
FILE* createTemporaryBeside(const std::wstring& target, std::wstring& temporaryPath);
// Gives temporary the target's name in one step; false leaves both files as they were.
bool placeFile(const std::wstring& temporary, const std::wstring& target, FinalName mode, unsigned long& systemError);
void removeFile(const std::wstring& path);

// The unique part of a temporary name. Tests replace it (through ScopedSeam) to force names that
// are taken.
using TemporaryTagFn = uint32_t (*)();
extern TemporaryTagFn temporaryTagSeam;

// How many names are tried before a write gives up: each try fails only on a name that is taken.
constexpr int kTemporaryNameAttempts = 100;

// Platform pieces (atomic_file_win.cpp, atomic_file_native.cpp).
// Creates a file that did not exist for writing bytes (exclusive creation: an existing file or
// folder of that name is never opened, let alone truncated). Null on failure, with alreadyExists
// telling a name that is taken from any other failure.
FILE* createNewFile(const std::wstring& path, bool& alreadyExists);
// The last system error code of the calling thread (errno where there is no other).
unsigned long lastSystemError();
// Writes what the stream holds through to the disk before the file is renamed.
bool commitFile(FILE* file);
