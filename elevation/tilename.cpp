#include "elevation/tilename.h"

#include "core/leadinginteger.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

// Three digits hold any latitude or longitude; more would be some other number.
constexpr std::size_t kMaxDigits = 3;

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsDigit(std::string_view text, std::size_t pos)
{
    return pos < text.size() && text[pos] >= '0' && text[pos] <= '9';
}

bool IsAlphanumeric(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

bool EndsWith(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() &&
        std::equal(ending.begin(), ending.end(), text.end() - std::ptrdiff_t(ending.size()),
            [](char e, char t) { return e == Lower(t); });
}

bool Contains(std::string_view text, std::string_view part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
               [](char t, char p) { return Lower(t) == p; }) != text.end();
}

// Reads "<letter><1-3 digits>[_dd]" at pos, the letter one of `letters`
// (lower case). Moves pos past it and returns the signed degrees.
bool ReadHalf(std::string_view name, std::size_t& pos, std::string_view letters, long& degrees)
{
    if (pos >= name.size())
        return false;
    const std::size_t letter = letters.find(Lower(name[pos]));
    if (letter == std::string_view::npos)
        return false;
    std::size_t end = pos + 1;
    while (IsDigit(name, end) && end - pos <= kMaxDigits)
        ++end;
    if (end == pos + 1 || IsDigit(name, end))
        return false;
    const long value = LeadingInteger(name, pos + 1);
    // Copernicus writes minutes after the degrees: "N35_00".
    if (end + 2 < name.size() && name[end] == '_' && IsDigit(name, end + 1) && IsDigit(name, end + 2) &&
        !IsDigit(name, end + 3))
        end += 3;
    pos = end;
    degrees = letter == 0 ? value : -value;
    return true;
}

}  // namespace

NamedCell CellFromName(std::string_view path)
{
    const std::string_view name = FileNameOf(path);
    for (std::size_t start = 0; start < name.size(); ++start) {
        // A group starts a word: the "S" of "DSM" or "NASADEM" is no latitude.
        if (start > 0 && IsAlphanumeric(name[start - 1]))
            continue;
        std::size_t pos = start;
        NamedCell named{true, {}};
        if (!ReadHalf(name, pos, "ns", named.cell.lat))
            continue;
        if (pos < name.size() && name[pos] == '_')
            ++pos;
        if (ReadHalf(name, pos, "ew", named.cell.lon))
            return named;
    }
    return {};
}

bool IsHgtName(std::string_view path)
{
    return EndsWith(FileNameOf(path), ".hgt");
}

std::string_view FileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool PassesNameTest(std::string_view path)
{
    return Contains(path, "_dem.tif");
}

bool IsSupportedTileName(std::string_view path)
{
    constexpr std::array<std::string_view, 4> kExtensions = {".tif", ".tiff", ".hgt", ".zip"};
    const std::string_view name = FileNameOf(path);
    return PassesNameTest(path) ||
        std::any_of(kExtensions.begin(), kExtensions.end(), [&](std::string_view e) { return EndsWith(name, e); });
}

bool LatitudeInRange(const TileCell& cell)
{
    return cell.lat >= -90 && cell.lat <= 89;
}

bool LongitudeInRange(const TileCell& cell)
{
    return cell.lon >= -180 && cell.lon <= 179;
}
