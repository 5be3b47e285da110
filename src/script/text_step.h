#pragma once
// What a text step's text is made of: the characters it types, the line breaks and tabs it
// types as keys, and the control characters it skips; and the one form the step holds its text
// in (valid UTF-8, whatever the file held).

#include <cstddef>
#include <cstdint>
#include <string>

// Units of a text step's text in the edit box: longer texts are refused there (a file may hold
// longer ones, which load whole).
constexpr size_t kMaxEditedTextUnits = 10000;

enum class TextPieceKind : int32_t {
    Character = 0,  // typed as itself
    LineBreak = 1,  // "\r\n", "\n" or "\r": typed as Enter, shown as a return sign
    Tab = 2,        // typed as Tab
    Control = 3,    // any other control character: neither typed nor accepted in the edit box
};

struct TextPiece {
    TextPieceKind kind = TextPieceKind::Character;
    uint32_t codePoint = 0;  // the character (the first one of a line break)
};

// U+0000 to U+001F and U+007F to U+009F.
bool isControlCharacter(uint32_t codePoint);

// The piece that starts at text[at] (at < text.size()), moving at past it. Malformed bytes read
// as U+FFFD, as utf8ToWide reads them.
TextPiece nextTextPiece(const std::string& text, size_t& at);

// Turns text into the form a step holds: the three bytes of a surrogate (what a lone \u escape
// of one reads as) become one U+FFFD, and other malformed bytes become U+FFFD as utf8ToWide
// reads them. Valid text is left as it is, without a copy.
void makeValidText(std::string& text);
