// The parsers of tile names: the name test, the position from the name and
// the leading whole numbers it is read with, each against a plain
// restatement of what it should do.

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/leadinginteger.h"
#include "elevation/tilename.h"

namespace {

void Require(bool condition, const char* what, std::string_view text)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s fails for \"%.*s\"\n", what, int(text.size()), text.data());
    std::abort();
}

bool HasMarker(std::string_view text)
{
    constexpr std::string_view kMarker = "_dem.tif";
    return std::search(text.begin(), text.end(), kMarker.begin(), kMarker.end(),
               [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }) != text.end();
}

// atol's reading through strtol, saturating at -LONG_MAX below as
// LeadingInteger does.
long Strtol(std::string_view text, std::size_t pos)
{
    const std::string tail(text.substr(std::min(pos, text.size())));
    return std::max(std::strtol(tail.c_str(), nullptr, 10), -LONG_MAX);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Require(PassesNameTest(text) == HasMarker(text), "PassesNameTest", text);

    // Only the file name places a tile: the folders above it never do.
    const NamedCell named = CellFromName(text), alone = CellFromName(FileNameOf(text));
    Require(named.found == alone.found && named.cell.lat == alone.cell.lat && named.cell.lon == alone.cell.lon,
        "CellFromName", text);

    // Every start a name could be read from, and one beyond the end.
    for (std::size_t pos = 0; pos <= size + 1; ++pos)
        Require(LeadingInteger(text, pos) == Strtol(text, pos), "LeadingInteger", text.substr(std::min(pos, size)));
    return 0;
}
