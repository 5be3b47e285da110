#include "update/release_notes.h"

std::wstring notesForQuestion(const std::wstring& notes)
{
    size_t lines = 1;
    size_t end = 0;
    while (end < notes.size() && end < kQuestionNoteChars) {
        if (notes[end] == L'\n') {
            if (lines == kQuestionNoteLines) {
                break;
            }
            ++lines;
        }
        ++end;
    }
    if (end == notes.size()) {
        return notes;
    }
    std::wstring shown = notes.substr(0, end);
    // A cut right after CR of a CR LF pair would leave the CR dangling before the mark.
    if (!shown.empty() && shown.back() == L'\r') {
        shown.pop_back();
    }
    // Never split a surrogate pair.
    if (!shown.empty() && shown.back() >= 0xD800 && shown.back() <= 0xDBFF) {
        shown.pop_back();
    }
    return shown + L"\n…";
}

std::wstring notesForEditField(const std::wstring& notes)
{
    std::wstring shown;
    shown.reserve(notes.size() + notes.size() / 8);
    for (size_t i = 0; i < notes.size(); ++i) {
        const wchar_t c = notes[i];
        if (c == L'\r') {
            shown += L"\r\n";
            if (i + 1 < notes.size() && notes[i + 1] == L'\n') {
                ++i;
            }
        } else if (c == L'\n') {
            shown += L"\r\n";
        } else {
            shown += c;
        }
    }
    return shown;
}
