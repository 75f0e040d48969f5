#pragma once
// Numbers in the lists' text fields, read whole and in the C locale.

#include <optional>
#include <string_view>

// The decimal number that is the whole of `field` (spaces around allowed),
// or none.
std::optional<double> ParseNumber(std::string_view field);

// `field` without spaces and tabs at either end.
std::string_view Trimmed(std::string_view field);
