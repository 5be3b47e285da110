#pragma once
// How the release notes of an offered version are shown: capped in the question box, whole in
// the update window's notes field.

#include <cstddef>
#include <string>

// A question box taller than the screen has its buttons out of reach: at most this many lines
// and characters of the notes go into it.
constexpr size_t kQuestionNoteLines = 15;
constexpr size_t kQuestionNoteChars = 1000;

// The notes for the question box: unchanged when they fit, else their first 15 lines (and at
// most 1000 characters) followed by "…" on a line of its own. CR LF counts as one line break.
std::wstring notesForQuestion(const std::wstring& notes);

// The notes for a multi-line edit field, which breaks lines only at CR LF: every LF that does
// not follow a CR gets one, and a CR alone becomes CR LF.
std::wstring notesForEditField(const std::wstring& notes);
