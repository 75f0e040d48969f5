// The go-to box's position reader on any bytes: it never fails, and what it
// accepts lies on the globe.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/coordinates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const std::optional<GeoPosition> p = ParsePosition(text)) {
        if (!(std::fabs(p->latitude) <= 90 && std::fabs(p->longitude) <= 180)) {
            std::fprintf(stderr, "off the globe: %f %f\n", p->latitude, p->longitude);
            std::abort();
        }
    }
    return 0;
}
