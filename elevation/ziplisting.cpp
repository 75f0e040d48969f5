#include "elevation/ziplisting.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64EndSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kEntrySignature = 0x02014b50;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kZip64LocatorBytes = 20;
constexpr std::size_t kZip64EndBytes = 56;
constexpr std::size_t kEntryBytes = 46;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr int kEntriesPerStopAsk = 256;
constexpr uint16_t kEncryptedFlag = 1;

uint64_t LittleEndian(const unsigned char* bytes, int count)
{
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// Where the central directory lies, and how many entries it says it holds.
struct Directory {
    uint64_t entries = 0;
    uint64_t offset = 0;
};

bool ReadExactly(int fd, void* buffer, std::size_t bytes, uint64_t offset)
{
    return ReadAt(fd, buffer, bytes, off_t(offset)) == ssize_t(bytes);
}

// From the end record, found within the comment's reach of the file's end,
// or from the Zip64 end record it points to.
bool FindDirectory(const CheckedFile& file, Directory& directory)
{
    const uint64_t size = uint64_t(file.Size());
    if (size < kEndBytes)
        return false;
    const std::size_t tailBytes = std::size_t(std::min<uint64_t>(size, kEndBytes + kMaxComment));
    std::vector<unsigned char> tail(tailBytes);
    const uint64_t tailStart = size - tailBytes;
    if (!ReadExactly(file.Descriptor(), tail.data(), tailBytes, tailStart))
        return false;
    for (std::size_t at = tailBytes - kEndBytes + 1; at-- > 0;) {
        const unsigned char* end = &tail[at];
        if (LittleEndian(end, 4) != kEndSignature)
            continue;
        directory.entries = LittleEndian(end + 10, 2);
        directory.offset = LittleEndian(end + 16, 4);
        if (directory.entries != 0xFFFF && directory.offset != 0xFFFFFFFF)
            return true;
        // Zip64: the locator stands just before the end record.
        std::array<unsigned char, kZip64LocatorBytes> locator{};
        std::array<unsigned char, kZip64EndBytes> end64{};
        const uint64_t endAt = tailStart + at;
        if (endAt < kZip64LocatorBytes ||
            !ReadExactly(file.Descriptor(), locator.data(), locator.size(), endAt - kZip64LocatorBytes) ||
            LittleEndian(locator.data(), 4) != kZip64LocatorSignature ||
            !ReadExactly(file.Descriptor(), end64.data(), end64.size(), LittleEndian(&locator[8], 8)) ||
            LittleEndian(end64.data(), 4) != kZip64EndSignature)
            return false;
        directory.entries = LittleEndian(&end64[32], 8);
        directory.offset = LittleEndian(&end64[48], 8);
        return true;
    }
    return false;
}

}  // namespace

TileError FindZipEntry(const CheckedFile& file, const std::function<bool(std::string_view)>& wanted, ZipEntry& found,
    const StopRequest& stop)
{
    Directory directory;
    if (!FindDirectory(file, directory))
        return TileError::TooShort;
    if (directory.entries > kMaxZipEntries)
        return TileError::TooManyZipEntries;
    uint64_t at = directory.offset;
    std::array<unsigned char, kEntryBytes> header{};
    std::string name;
    for (uint64_t entry = 0; entry < directory.entries; ++entry) {
        if (stop && entry % kEntriesPerStopAsk == 0 && stop())
            return TileError::Cancelled;
        if (!ReadExactly(file.Descriptor(), header.data(), header.size(), at) ||
            LittleEndian(header.data(), 4) != kEntrySignature)
            return TileError::TooShort;
        const std::size_t nameBytes = std::size_t(LittleEndian(&header[28], 2));
        name.resize(nameBytes);
        if (!ReadExactly(file.Descriptor(), name.data(), nameBytes, at + kEntryBytes))
            return TileError::TooShort;
        if (wanted(name)) {
            found.name = name;
            found.size = LittleEndian(&header[24], 4);
            found.encrypted = (LittleEndian(&header[8], 2) & kEncryptedFlag) != 0;
            return TileError::None;
        }
        at += kEntryBytes + nameBytes + LittleEndian(&header[30], 2) + LittleEndian(&header[32], 2);
    }
    return TileError::NoElevationInZip;
}
