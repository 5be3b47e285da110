#include "player/text_typing.h"

#include <vector>

#include "script/text_step.h"

namespace {

constexpr uint16_t kVirtualKeyEnter = 0x0D;
constexpr uint16_t kVirtualKeyTab = 0x09;

void addRecord(TypedCharacter& character, const InputRecord& record)
{
    character.records[character.count++] = record;
}

void addUnit(TypedCharacter& character, uint16_t unit)
{
    InputRecord record;
    record.type = kInputTypeKeyboard;
    record.scanCode = unit;
    record.keyFlags = kKeyFlagUnicode;
    addRecord(character, record);
    record.keyFlags = kKeyFlagUnicode | kKeyFlagUp;
    addRecord(character, record);
}

void addKeyStroke(const InputSeam& seam, TypedCharacter& character, uint16_t virtualKey)
{
    addRecord(character, keyPressRecord(seam, virtualKey, false));
    addRecord(character, keyPressRecord(seam, virtualKey, true));
}

MacroEvent keyEvent(EventKind kind, const std::string& name)
{
    MacroEvent event;
    event.kind = kind;
    event.keyOrText = name;
    return event;
}

// Sends one key record of a modifier and tells the held lists.
SendResult sendModifier(const InputSeam& seam, HeldInput& held, const std::string& name, bool release)
{
    SendResult result;
    const InputRecord record = keyPressRecord(seam, sendableVirtualKey(name), release);
    result.refused = !seam.sendInput(seam.context, record, result.error);
    if (!result.refused) {
        trackHeld(held, keyEvent(release ? EventKind::KeyUp : EventKind::KeyDown, name));
    }
    return result;
}

}  // namespace

bool nextTypedCharacter(const InputSeam& seam, const std::string& text, size_t& at, TypedCharacter& character)
{
    while (at < text.size()) {
        const TextPiece piece = nextTextPiece(text, at);
        character.count = 0;
        switch (piece.kind) {
        case TextPieceKind::LineBreak: addKeyStroke(seam, character, kVirtualKeyEnter); return true;
        case TextPieceKind::Tab: addKeyStroke(seam, character, kVirtualKeyTab); return true;
        case TextPieceKind::Control: continue;
        case TextPieceKind::Character:
            if (piece.codePoint >= 0x10000) {
                const uint32_t offset = piece.codePoint - 0x10000;
                addUnit(character, static_cast<uint16_t>(0xD800 + (offset >> 10)));
                addUnit(character, static_cast<uint16_t>(0xDC00 + (offset & 0x3FF)));
            } else {
                addUnit(character, static_cast<uint16_t>(piece.codePoint));
            }
            return true;
        }
    }
    return false;
}

TypingResult typeText(const InputSeam& seam, HeldInput& held, const std::string& text,
                      const std::atomic<bool>& stopRequested, PauseGate* pause)
{
    TypingResult result;
    TypedCharacter character;
    size_t first = 0;
    if (!nextTypedCharacter(seam, text, first, character)) {
        return result;  // nothing to type: no modifier is touched either
    }
    std::vector<std::string> modifiers;
    {
        std::lock_guard<std::mutex> guard(held.lock);
        for (const std::string& name : held.heldKeys) {
            if (isModifierKey(sendableVirtualKey(name))) {
                modifiers.push_back(name);
            }
        }
    }
    for (const std::string& name : modifiers) {
        result.sent = sendModifier(seam, held, name, true);
        if (result.sent.refused) {
            return result;
        }
    }
    for (size_t at = 0; nextTypedCharacter(seam, text, at, character);) {
        const PauseHold paused = holdIfPaused(pause);
        if (stopRequested.load() || paused.stopped) {
            result.stopped = true;
            return result;
        }
        if (paused.sent.refused) {
            result.sent = paused.sent;
            return result;
        }
        if (!seam.sendInputs(seam.context, character.records, character.count, result.sent.error)) {
            result.sent.refused = true;
            return result;
        }
    }
    for (const std::string& name : modifiers) {
        result.sent = sendModifier(seam, held, name, false);
        if (result.sent.refused) {
            return result;
        }
    }
    return result;
}
