#pragma once
// Temporary files beside a target file, for writes that end by replacing the target in one step.

#include <cstdint>
#include <cstdio>
#include <string>

// The unique part of a temporary name. Tests replace it (through ScopedSeam) to force names that
// are taken.
using TemporaryTagFn = uint32_t (*)();
extern TemporaryTagFn temporaryTagSeam;

// How many names are tried before a save gives up: each try fails only on a name that is taken.
constexpr int kTemporaryNameAttempts = 100;

// Creates "<target>.<8 hex digits>.saving", a file that did not exist before, in the target's
// folder, so that the final replace stays one rename on the same volume. A name that is taken
// (someone's file, a folder, a leftover of an earlier crash) is never opened; another tag is
// tried. Null when no file could be created, for any other reason at once.
FILE* createTemporaryBeside(const std::wstring& target, std::wstring& temporaryPath);
