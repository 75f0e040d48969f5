#include "places/textfields.h"

#include <charconv>

std::string_view Trimmed(std::string_view field)
{
    constexpr std::string_view kSpace = " \t";
    const std::size_t first = field.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return field.substr(first, field.find_last_not_of(kSpace) - first + 1);
}

std::optional<double> ParseNumber(std::string_view field)
{
    field = Trimmed(field);
    // from_chars takes no leading '+'.
    if (field.size() > 1 && field[0] == '+' && field[1] != '-')
        field.remove_prefix(1);
    double value = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || field.empty())
        return std::nullopt;
    return value;
}
