// Writes the project's sample elevation tile: a deterministic, made-up
// landscape of ridged mountains up to about 3500 m, valleys, a coast with sea
// at 0 and a few void samples, as a little-endian TIFF whose 3601 x 3601
// int16 samples start right after the 8-byte header (directory at the end).
//
// usage: make-sample-tile OUTPUT.tif

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 3601;
constexpr int16_t kVoid = -9999;

uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

// Gradient noise in [-1, 1] on an integer lattice, quintic-smoothed.
float GradientNoise(float x, float y, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = int32_t(fx), iy = int32_t(fy);
    const float tx = x - fx, ty = y - fy;
    auto corner = [&](int dx, int dy) {
        const float angle = float(Hash(ix + dx, iy + dy, seed) & 0xFFFF) * (6.2831853f / 65536.0f);
        return std::cos(angle) * (tx - float(dx)) + std::sin(angle) * (ty - float(dy));
    };
    auto fade = [](float t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const float u = fade(tx), v = fade(ty);
    const float top = corner(0, 0) + u * (corner(1, 0) - corner(0, 0));
    const float bottom = corner(0, 1) + u * (corner(1, 1) - corner(0, 1));
    return std::clamp((top + v * (bottom - top)) * 1.4f, -1.0f, 1.0f);
}

// Sharp crests where the noise crosses zero, each octave weighted by the
// one above so that the ridges carry the fine detail and the valleys stay smooth.
float Ridged(float x, float y)
{
    float sum = 0, amplitude = 1, weight = 1, frequency = 1, total = 0;
    for (int octave = 0; octave < 7; ++octave) {
        float ridge = 1 - std::abs(GradientNoise(x * frequency, y * frequency, 17 + octave));
        ridge *= ridge;
        ridge *= weight;
        weight = std::clamp(ridge * 1.6f, 0.0f, 1.0f);
        sum += ridge * amplitude;
        total += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.03f;
    }
    return sum / total;
}

float Fbm(float x, float y, uint32_t seed)
{
    float sum = 0, amplitude = 0.5f, frequency = 1;
    for (int octave = 0; octave < 4; ++octave) {
        sum += GradientNoise(x * frequency, y * frequency, seed + octave) * amplitude;
        amplitude *= 0.5f;
        frequency *= 2;
    }
    return sum;
}

// Height in metres at (u, v) in [0, 1]^2, u east, v south.
float Height(float u, float v)
{
    // Land rises from a wavy coast across the south-east corner.
    const float coast = (1.45f - u - v) * 2.2f + Fbm(u * 3, v * 3, 101) * 0.9f;
    if (coast <= 0)
        return coast > -0.03f ? -2.0f : 0.0f;  // sea at 0, a little below it on the beach
    const float inland = std::min(coast, 1.0f);
    const float mountains = Ridged(u * 6 + 3.1f, v * 6 + 7.7f);
    const float hills = 0.5f + 0.5f * Fbm(u * 14, v * 14, 202);
    return std::sqrt(inland) * (mountains * mountains * 3700 * inland + hills * 120) + 2;
}

bool InVoid(int row, int column)
{
    // A few small holes of missing data, as radar shadows leave in steep terrain.
    static constexpr std::array<std::array<int, 3>, 4> kHoles{
        {{700, 900, 5}, {1500, 400, 3}, {2200, 1600, 4}, {900, 2500, 2}}};
    for (const auto& hole : kHoles) {
        const int dr = row - hole[0], dc = column - hole[1];
        if (dr * dr + dc * dc <= hole[2] * hole[2])
            return true;
    }
    return false;
}

void PutLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v)
{
    PutLe16(out, uint16_t(v));
    PutLe16(out, uint16_t(v >> 16));
}

std::vector<uint8_t> Directory(uint32_t dataBytes)
{
    enum : uint16_t {
        kShort = 3,
        kLong = 4
    };
    struct Entry {
        uint16_t tag, type;
        uint32_t value;
    };
    const std::array<Entry, 11> entries{{
        {256, kShort, kSize},  // image width
        {257, kShort, kSize},  // image length
        {258, kShort, 16},  // bits per sample
        {259, kShort, 1},  // no compression
        {262, kShort, 1},  // black is zero
        {273, kLong, 8},  // the one strip starts after the header
        {277, kShort, 1},  // samples per pixel
        {278, kShort, kSize},  // rows per strip
        {279, kLong, dataBytes},  // strip byte count
        {284, kShort, 1},  // contiguous planes
        {339, kShort, 2},  // signed integers
    }};
    std::vector<uint8_t> out;
    PutLe16(out, uint16_t(entries.size()));
    for (const Entry& e : entries) {
        PutLe16(out, e.tag);
        PutLe16(out, e.type);
        PutLe32(out, 1);
        if (e.type == kShort) {
            PutLe16(out, uint16_t(e.value));
            PutLe16(out, 0);
        } else {
            PutLe32(out, e.value);
        }
    }
    PutLe32(out, 0);  // no further directory
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.tif\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const std::string partial = path + ".part";

    constexpr uint32_t kDataBytes = uint32_t(kSize) * kSize * 2;
    std::vector<uint8_t> file;
    file.reserve(8 + kDataBytes + 256);
    file.insert(file.end(), {'I', 'I', 42, 0});
    PutLe32(file, 8 + kDataBytes);
    for (int row = 0; row < kSize; ++row) {
        for (int column = 0; column < kSize; ++column) {
            const float h = Height(float(column) / (kSize - 1), float(row) / (kSize - 1));
            const int16_t sample = InVoid(row, column) ? kVoid : int16_t(std::lround(h));
            PutLe16(file, uint16_t(sample));
        }
    }
    const std::vector<uint8_t> ifd = Directory(kDataBytes);
    file.insert(file.end(), ifd.begin(), ifd.end());

    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::perror(partial.c_str());
        return 1;
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        return 1;
    }
    return 0;
}
