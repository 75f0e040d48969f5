#pragma once
// The text of place names: checked as UTF-8, cut on whole characters, and told
// apart by script for the language rule.

#include <cstddef>
#include <string_view>

// Names are cut to this many characters: the longest real peak names are far
// shorter, and a label must fit the view.
inline constexpr std::size_t kPlaceMaxNameCharacters = 80;

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsUtf8(std::string_view text);

// The first `maxCharacters` characters of UTF-8 `text`, or all of it.
std::string_view CutToCharacters(std::string_view text, std::size_t maxCharacters);

// True when UTF-8 `text` has a letter and every letter is Latin (ASCII, Latin-1,
// Latin Extended): a name an English reader can read.
bool IsLatinScript(std::string_view text);

// True when UTF-8 `text` has kana or CJK ideographs.
bool HasJapaneseScript(std::string_view text);
