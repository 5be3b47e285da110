#include "script/text_step.h"

#include "base/text_encoding.h"

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// ED A0..BF 80..BF: a surrogate's value written as if it were a character.
bool isEncodedSurrogate(const std::string& text, size_t at)
{
    if (text.size() - at < 3 || static_cast<unsigned char>(text[at]) != 0xED) {
        return false;
    }
    const unsigned char second = static_cast<unsigned char>(text[at + 1]);
    const unsigned char third = static_cast<unsigned char>(text[at + 2]);
    return second >= 0xA0 && second <= 0xBF && third >= 0x80 && third <= 0xBF;
}

// The code point at text[at], moving at past it; a surrogate's three bytes are one replacement.
uint32_t nextCodePoint(const std::string& text, size_t& at)
{
    if (isEncodedSurrogate(text, at)) {
        at += 3;
        return kReplacementCharacter;
    }
    return decodeUtf8(text, at);
}

}  // namespace

bool isControlCharacter(uint32_t codePoint)
{
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

TextPiece nextTextPiece(const std::string& text, size_t& at)
{
    TextPiece piece;
    piece.codePoint = nextCodePoint(text, at);
    if (piece.codePoint == '\r' || piece.codePoint == '\n') {
        piece.kind = TextPieceKind::LineBreak;
        if (piece.codePoint == '\r' && at < text.size() && text[at] == '\n') {
            ++at;
        }
    } else if (piece.codePoint == '\t') {
        piece.kind = TextPieceKind::Tab;
    } else if (isControlCharacter(piece.codePoint)) {
        piece.kind = TextPieceKind::Control;
    }
    return piece;
}

void makeValidText(std::string& text)
{
    size_t at = 0;
    // Up to the first byte that does not stand for itself, nothing needs a copy.
    for (;;) {
        while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
        }
        if (at == text.size()) {
            return;
        }
        size_t next = at;
        const uint32_t codePoint = nextCodePoint(text, next);
        char bytes[kMaxUtf8Bytes];
        const size_t length = encodeUtf8(codePoint, bytes);
        if (length != next - at || text.compare(at, length, bytes, length) != 0) {
            break;
        }
        at = next;
    }
    std::string valid(text, 0, at);
    valid.reserve(text.size() + 8);
    while (at < text.size()) {
        appendUtf8(valid, nextCodePoint(text, at));
    }
    text.swap(valid);
}
