#pragma once
// An elevation file opened for reading once and checked to be a regular file;
// every read of it goes through the one descriptor, so the file checked is
// the file read. Also the read loop and what a file's first bytes say it is.

#include <cstddef>
#include <string>

#include <sys/types.h>

#include "elevation/tileerror.h"

class CheckedFile {
public:
    CheckedFile() = default;  // refused as CannotOpen
    // The name is looked at first so that devices are not even opened:
    // opening some has effects of its own. Should a FIFO have taken the name
    // since, the open does not wait for a writer; the descriptor is checked
    // again.
    explicit CheckedFile(const std::string& path);
    ~CheckedFile();
    CheckedFile(CheckedFile&& other) noexcept;
    CheckedFile& operator=(CheckedFile&& other) noexcept;
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    // None, or CannotOpen (missing, unreadable, a folder) or NotARegularFile.
    TileError Error() const { return error_; }
    int Descriptor() const { return fd_; }  // -1 unless Error() is None
    off_t Size() const { return size_; }  // when it was checked

private:
    int fd_ = -1;
    off_t size_ = 0;
    TileError error_ = TileError::CannotOpen;
};

// Reads until `bytes` have arrived or the file ends. The count read, or -1.
ssize_t ReadAt(int fd, void* buffer, std::size_t bytes, off_t offset);

enum class FileSignature {
    None,
    Tiff,
    BigTiff,
    Zip,
};
// What the first four bytes say the file is.
FileSignature ReadSignature(const CheckedFile& file);
