#pragma once
// How a text step types its text: each character as the records of one SendInput call, and
// the whole step with no modifier of the playback held.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "player/input_injection.h"
#include "player/pause_gate.h"

// The records of one character, sent together so that no other input comes between them: a
// key down and up per UTF-16 unit (a surrogate pair's two units in one call), or Enter or Tab.
struct TypedCharacter {
    InputRecord records[4];
    uint32_t count = 0;
};

// The next character of text from text[at] on, moving at past it; false when none is left.
// Characters are Unicode records (virtual key 0, the unit as scan code); a line break ("\r\n",
// "\n" or "\r") is Enter and a tab is Tab, as virtual keys; other control characters are skipped.
bool nextTypedCharacter(const InputSeam& seam, const std::string& text, size_t& at, TypedCharacter& character);

struct TypingResult {
    SendResult sent;       // the refusal that ended the step, if any
    bool stopped = false;  // a stop request ended it before its last character
};

// Types a text step: releases the modifier keys the playback holds, sends the characters one
// call each with a look at stopRequested before each, and presses the modifiers again after the
// last. A stop or a refusal ends it at once and presses nothing again; the held lists always
// tell what is still pressed. A text with nothing to type sends nothing at all. A pause (pause
// may be null) between two characters goes on with the next character.
TypingResult typeText(const InputSeam& seam, HeldInput& held, const std::string& text,
                      const std::atomic<bool>& stopRequested, PauseGate* pause = nullptr);
