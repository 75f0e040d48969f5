#include "places/placetext.h"

#include <cstdint>

namespace {

// One character of UTF-8: its code point and length, or length 0 when the
// bytes at `at` are not a well-formed character.
struct Character {
    char32_t code = 0;
    std::size_t length = 0;
};

Character Decode(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return uint8_t(text[at + i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t code = 0, least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    return {code, length};
}

bool IsLatinLetter(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
        (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) || (c >= 0x1E00 && c <= 0x1EFF);
}

// Letters of any script, roughly: enough to tell a Latin name from one
// with other letters. Punctuation, digits and spaces are not letters.
bool IsLetter(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
    const bool punctuation = (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x3003) ||
        (c >= 0xFF01 && c <= 0xFF0F) || c == 0xA0 || c == 0xB7 || c == 0xD7 || c == 0xF7;
    return c >= 0xC0 && !punctuation;
}

bool IsJapaneseScript(char32_t c)
{
    return (c >= 0x3040 && c <= 0x30FF) ||  // hiragana, katakana
        (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
        (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
        (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility ideographs
        (c >= 0xFF66 && c <= 0xFF9F);  // half-width katakana
}

// Calls `visit` with each character until it returns false; false when the
// text is not well-formed.
template <typename Visit> bool ForEachCharacter(std::string_view text, Visit visit)
{
    for (std::size_t at = 0; at < text.size();) {
        const Character c = Decode(text, at);
        if (c.length == 0)
            return false;
        if (!visit(c.code))
            return true;
        at += c.length;
    }
    return true;
}

}  // namespace

bool IsUtf8(std::string_view text)
{
    return ForEachCharacter(text, [](char32_t) { return true; });
}

std::string_view CutToCharacters(std::string_view text, std::size_t maxCharacters)
{
    std::size_t at = 0;
    for (std::size_t count = 0; at < text.size() && count < maxCharacters; ++count) {
        const std::size_t length = Decode(text, at).length;
        at += length ? length : 1;
    }
    return text.substr(0, at);
}

bool IsLatinScript(std::string_view text)
{
    bool letter = false, latin = true;
    const bool wellFormed = ForEachCharacter(text, [&](char32_t c) {
        if (IsLetter(c)) {
            letter = true;
            latin = IsLatinLetter(c);
        }
        return latin;
    });
    return wellFormed && letter && latin;
}

bool HasJapaneseScript(std::string_view text)
{
    bool found = false;
    ForEachCharacter(text, [&](char32_t c) {
        found = IsJapaneseScript(c);
        return !found;
    });
    return found;
}
