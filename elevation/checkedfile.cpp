#include "elevation/checkedfile.h"

#include <array>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Only regular files are read: a FIFO or a terminal can keep a read waiting
// forever and a device can stream without end.
TileError FileTypeError(const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return TileError::None;
    return S_ISDIR(info.st_mode) ? TileError::CannotOpen : TileError::NotARegularFile;
}

}  // namespace

CheckedFile::CheckedFile(const std::string& path)
{
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0)
        return;
    if (error_ = FileTypeError(info); error_ != TileError::None)
        return;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        error_ = TileError::CannotOpen;
    } else {
        error_ = FileTypeError(info);
        size_ = info.st_size;
    }
    if (error_ != TileError::None && fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

CheckedFile::~CheckedFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

CheckedFile::CheckedFile(CheckedFile&& other) noexcept :
    fd_(std::exchange(other.fd_, -1)), size_(other.size_), error_(std::exchange(other.error_, TileError::CannotOpen))
{
}

CheckedFile& CheckedFile::operator=(CheckedFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
        error_ = std::exchange(other.error_, TileError::CannotOpen);
    }
    return *this;
}

ssize_t ReadAt(int fd, void* buffer, std::size_t bytes, off_t offset)
{
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::pread(fd, static_cast<char*>(buffer) + done, bytes - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return ssize_t(done);
}

FileSignature ReadSignature(const CheckedFile& file)
{
    std::array<unsigned char, 4> head{};
    if (ReadAt(file.Descriptor(), head.data(), head.size(), 0) != ssize_t(head.size()))
        return FileSignature::None;
    if (head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4)
        return FileSignature::Zip;
    const bool little = head[0] == 'I' && head[1] == 'I' && head[3] == 0;
    const bool big = head[0] == 'M' && head[1] == 'M' && head[2] == 0;
    const unsigned version = little ? head[2] : big ? head[3] : 0;
    return version == 42 ? FileSignature::Tiff : version == 43 ? FileSignature::BigTiff : FileSignature::None;
}
