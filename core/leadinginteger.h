#pragma once
// Whole numbers written at the start of a text, as the C library's atol
// reads them: optional white space and a sign, then decimal digits up to the
// first other character. No digits, or a start beyond the end, give 0.
// Numbers beyond the range of long saturate at LONG_MAX or -LONG_MAX instead
// of overflowing.

#include <cctype>
#include <climits>
#include <string_view>

inline long LeadingInteger(std::string_view text, std::size_t pos = 0)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const int digit = text[pos] - '0';
        value = value > (LONG_MAX - digit) / 10 ? LONG_MAX : value * 10 + digit;
    }
    return negative ? -value : value;
}
