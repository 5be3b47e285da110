#pragma once
// The text box of the text step dialog: how a step's text is shown in it, what it gives back,
// and why a text is refused.

#include <string>

// A step's text as a multi-line box shows it: every line break ("\r\n", "\n" or "\r") as "\r\n".
std::wstring boxTextOfStep(const std::string& text);
// The box's text as a step holds it (UTF-8): every line break as "\n".
std::string stepTextOfBox(const std::wstring& box);
// Why the box's text cannot be typed by a step, or an empty text when it can: it is empty, longer
// than kMaxEditedTextUnits UTF-16 units, or holds a control character other than line breaks and
// tabs (the message tells the first one's place).
std::wstring textStepRefusal(const std::wstring& box);
