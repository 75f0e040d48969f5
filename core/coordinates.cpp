#include "core/coordinates.h"

#include <charconv>
#include <cmath>
#include <span>
#include <string>
#include <vector>

namespace {

// More than any position, the status line included, needs.
constexpr std::size_t kMaxCodePoints = 200;
constexpr std::size_t kMaxDigits = 18;
constexpr double kMaxLatitude = 90;
constexpr double kMaxLongitude = 180;

enum class Kind {
    Number,
    Degree,
    Minute,
    Second,
    Sign,
    Hemisphere,
    Comma
};

struct Token {
    Kind kind = Kind::Number;
    bool spaced = false;  // whitespace before it
    char symbol = 0;  // N, S, E, W for a hemisphere; + or - for a sign
    std::string digits;  // a number as written
};

// Strict UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
std::optional<std::u32string> DecodeUtf8(std::string_view text)
{
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (text.size() - i <= std::size_t(extra))
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        out.push_back(c);
        i += std::size_t(extra) + 1;
    }
    return out;
}

// Full-width forms as their ASCII originals, every kind of space as one.
char32_t Narrow(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return c - 0xFEE0;
    if (c == 0x3000 || c == 0x00A0 || c == '\t')
        return ' ';
    return c;
}

// The marks people put after degrees, minutes and seconds, and between the
// two numbers.
std::optional<Kind> MarkOf(char32_t c)
{
    switch (c) {
    case 0x00B0:  // °
    case 0x00BA:  // º
    case 0x02DA:  // ˚
    case 0x309A:  // ゚
    case 0x309C:  // ゜
    case 0xFF9F:  // ﾟ, as the status line writes degrees
    case 0x5EA6:  // 度
        return Kind::Degree;
    case '\'':
    case 0x00B4:  // ´
    case 0x2018:  // ‘
    case 0x2019:  // ’
    case 0x2032:  // ′
    case 0x5206:  // 分
        return Kind::Minute;
    case '"':
    case 0x201C:  // “
    case 0x201D:  // ”
    case 0x2033:  // ″
    case 0x79D2:  // 秒
        return Kind::Second;
    case ',':
    case 0x3001:  // 、
    case 0xFF64:  // ､
        return Kind::Comma;
    case '+':
    case '-':
    case 0x2212:  // −
        return Kind::Sign;
    default: return std::nullopt;
    }
}

// 北緯, 南緯, 東経 and 西経 as the hemisphere letter, 0 for anything else.
char JapaneseHemisphere(char32_t a, char32_t b)
{
    if (b == U'緯')
        return a == U'北' ? 'N' : a == U'南' ? 'S' : 0;
    if (b == U'経')
        return a == U'東' ? 'E' : a == U'西' ? 'W' : 0;
    return 0;
}

bool IsDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

std::optional<std::vector<Token>> Tokenise(std::u32string_view s)
{
    std::vector<Token> tokens;
    bool spaced = false;
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = s[i];
        if (c == ' ') {
            spaced = true;
            ++i;
            continue;
        }
        Token token;
        token.spaced = spaced;
        spaced = false;
        if (IsDigit(c)) {
            while (i < s.size() && IsDigit(s[i]))
                token.digits.push_back(char(s[i++]));
            if (i < s.size() && s[i] == '.') {
                token.digits.push_back('.');
                if (++i == s.size() || !IsDigit(s[i]))
                    return std::nullopt;
                while (i < s.size() && IsDigit(s[i]))
                    token.digits.push_back(char(s[i++]));
            }
            if (token.digits.size() > kMaxDigits)
                return std::nullopt;
        } else if (c == 'N' || c == 'S' || c == 'E' || c == 'W' || c == 'n' || c == 's' || c == 'e' || c == 'w') {
            token.kind = Kind::Hemisphere;
            token.symbol = char(c >= 'a' ? c - ('a' - 'A') : c);
            ++i;
        } else if (const char letter = i + 1 < s.size() ? JapaneseHemisphere(c, s[i + 1]) : 0) {
            token.kind = Kind::Hemisphere;
            token.symbol = letter;
            i += 2;
        } else if (const std::optional<Kind> mark = MarkOf(c)) {
            token.kind = *mark;
            if (*mark == Kind::Sign)
                token.symbol = c == '+' ? '+' : '-';
            ++i;
            // Two minute marks make a seconds mark.
            if (*mark == Kind::Minute && i < s.size() && MarkOf(s[i]) == Kind::Minute) {
                token.kind = Kind::Second;
                ++i;
            }
        } else {
            return std::nullopt;
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

double ValueOf(const std::string& digits)
{
    double value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

bool HasPoint(const std::string& digits)
{
    return digits.find('.') != std::string::npos;
}

int PlaceOfMark(Kind kind)
{
    return kind == Kind::Degree ? 0 : kind == Kind::Minute ? 1 : kind == Kind::Second ? 2 : -1;
}

struct Coordinate {
    double value = 0;  // signed, hemisphere applied
    char hemisphere = 0;  // 0 when none was written
    bool seconds = false;  // down to the seconds
};

// One latitude or longitude: [hemisphere | sign] degrees [minutes [seconds]]
// [hemisphere], each part with or without its mark, only the last one with
// a fraction.
std::optional<Coordinate> ReadCoordinate(std::span<const Token> t)
{
    std::size_t i = 0;
    char hemisphere = 0;
    double sign = 1;
    bool signWritten = false;
    if (i < t.size() && t[i].kind == Kind::Hemisphere)
        hemisphere = t[i++].symbol;
    if (i < t.size() && t[i].kind == Kind::Sign) {
        if (hemisphere)
            return std::nullopt;
        sign = t[i++].symbol == '-' ? -1 : 1;
        signWritten = true;
    }
    double parts[3] = {};
    int next = 0;
    bool fraction = false;
    while (i < t.size() && t[i].kind == Kind::Number) {
        if (next > 2 || fraction)
            return std::nullopt;
        const Token& number = t[i++];
        int place = next;
        bool marked = false;
        if (i < t.size() && PlaceOfMark(t[i].kind) >= 0) {
            place = PlaceOfMark(t[i++].kind);
            marked = true;
        }
        if (place != next)
            return std::nullopt;
        parts[place] = ValueOf(number.digits);
        fraction = HasPoint(number.digits);
        next = place + 1;
        // The status line writes tenths of a second right after the mark.
        if (marked && place == 2 && !fraction && i < t.size() && t[i].kind == Kind::Number && !t[i].spaced &&
            !HasPoint(t[i].digits)) {
            parts[2] += ValueOf("0." + t[i++].digits);
            fraction = true;
        }
    }
    if (next == 0)
        return std::nullopt;
    if (!hemisphere && i < t.size() && t[i].kind == Kind::Hemisphere) {
        if (signWritten)
            return std::nullopt;
        hemisphere = t[i++].symbol;
    }
    if (i != t.size() || parts[1] >= 60 || parts[2] >= 60)
        return std::nullopt;
    double value = sign * (parts[0] + parts[1] / 60 + parts[2] / 3600);
    if (hemisphere == 'S' || hemisphere == 'W')
        value = -value;
    return Coordinate{value, hemisphere, next == 3};
}

bool IsLatitude(char hemisphere)
{
    return hemisphere == 'N' || hemisphere == 'S';
}

std::optional<GeoPosition> Combine(const Coordinate& a, const Coordinate& b)
{
    GeoPosition position;
    if (!a.hemisphere && !b.hemisphere) {
        position = {a.value, b.value};
    } else if (a.hemisphere && b.hemisphere && IsLatitude(a.hemisphere) != IsLatitude(b.hemisphere)) {
        position = IsLatitude(a.hemisphere) ? GeoPosition{a.value, b.value} : GeoPosition{b.value, a.value};
    } else {
        return std::nullopt;
    }
    if (!(std::fabs(position.latitude) <= kMaxLatitude && std::fabs(position.longitude) <= kMaxLongitude))
        return std::nullopt;
    return position;
}

// The status line's form: hemisphere letters and seconds on both numbers.
bool StatusForm(const Coordinate& a, const Coordinate& b)
{
    return a.seconds && b.seconds && a.hemisphere && b.hemisphere;
}

std::optional<GeoPosition> ReadPair(std::span<const Token> first, std::span<const Token> second, bool statusForm)
{
    const std::optional<Coordinate> a = ReadCoordinate(first);
    const std::optional<Coordinate> b = a ? ReadCoordinate(second) : std::nullopt;
    if (!b || (statusForm && !StatusForm(*a, *b)))
        return std::nullopt;
    return Combine(*a, *b);
}

std::optional<GeoPosition> ReadTokens(std::span<const Token> all, bool statusForm)
{
    std::vector<std::size_t> commas;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].kind == Kind::Comma)
            commas.push_back(i);
    if (commas.size() > 1)
        return std::nullopt;
    if (commas.size() == 1)
        return ReadPair(all.first(commas[0]), all.subspan(commas[0] + 1), statusForm);

    // Without a comma, the split between the two numbers must be the only
    // one that reads: "10 20 30 40" could be either of two positions.
    std::optional<GeoPosition> found;
    for (std::size_t k = 1; k < all.size(); ++k) {
        if (const std::optional<GeoPosition> position = ReadPair(all.first(k), all.subspan(k), statusForm)) {
            if (found)
                return std::nullopt;
            found = position;
        }
    }
    return found;
}

bool IsLatinLetter(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The position inside a status line, in whatever language its labels are:
// a label without digits, the position in the status line's own form, then
// words that are no part of a position.
std::optional<GeoPosition> ReadStatusLine(std::u32string_view s)
{
    const std::size_t firstDigit = s.find_first_of(U"0123456789");
    if (firstDigit == std::u32string_view::npos)
        return std::nullopt;
    std::size_t start = firstDigit;
    while (start > 0 && s[start - 1] == ' ')
        --start;
    if (start == 0 || !IsLatinLetter(s[start - 1]) || (start > 1 && IsLatinLetter(s[start - 2])))
        return std::nullopt;
    --start;
    // The position ends before the first word that is not one.
    std::size_t end = start;
    while (end < s.size()) {
        const std::size_t wordStart = s.find_first_not_of(U' ', end);
        if (wordStart == std::u32string_view::npos)
            break;
        std::size_t wordEnd = s.find(U' ', wordStart);
        if (wordEnd == std::u32string_view::npos)
            wordEnd = s.size();
        if (!Tokenise(s.substr(wordStart, wordEnd - wordStart)))
            break;
        end = wordEnd;
    }
    const std::optional<std::vector<Token>> tokens = Tokenise(s.substr(start, end - start));
    return tokens ? ReadTokens(*tokens, true) : std::nullopt;
}

}  // namespace

std::optional<GeoPosition> ParsePosition(std::string_view text)
{
    std::optional<std::u32string> decoded = DecodeUtf8(text);
    if (!decoded || decoded->size() > kMaxCodePoints)
        return std::nullopt;
    for (char32_t& c : *decoded)
        c = Narrow(c);
    if (const std::optional<std::vector<Token>> tokens = Tokenise(*decoded))
        return ReadTokens(*tokens, false);
    return ReadStatusLine(*decoded);
}
