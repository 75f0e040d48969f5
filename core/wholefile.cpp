#include "core/wholefile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferBytes = std::size_t(1) << 16;
constexpr int kNameAttempts = 64;

// The file a symbolic link leads to, so that the link stays and its file is
// replaced; the path itself when it is no link or leads nowhere.
std::string ResolvedTarget(const std::string& path)
{
    struct stat link { };
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file of its own in `folder`, named so that it shows as ours if a
// crash leaves it behind. Created with the usual mode, less the umask.
int CreateTemporary(const std::string& folder, std::string& name)
{
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = folder + "/.vantorel-" + std::to_string(getpid()) + "-" + std::to_string(random()) + ".tmp";
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Into a device or FIFO as it is: a FIFO without a reader is refused rather
// than waited on.
int OpenDirectly(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

WholeFile::WholeFile(std::string path) : path_(ResolvedTarget(path))
{
    struct stat existing { };
    const bool exists = stat(path_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        error_ = EISDIR;
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        fd_ = OpenDirectly(path_);
    } else {
        fd_ = CreateTemporary(FolderOf(path_), temporary_);
        // A file written over keeps its permissions.
        if (fd_ >= 0 && exists && fchmod(fd_, existing.st_mode & 07777) != 0)
            error_ = errno;
    }
    if (fd_ < 0) {
        error_ = errno;
        temporary_.clear();
    }
    buffer_.reserve(kBufferBytes);
}

WholeFile::~WholeFile()
{
    if (!committed_)
        Discard();
}

bool WholeFile::Write(const void* data, std::size_t size)
{
    if (error_ != 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const std::size_t part = std::min(size, kBufferBytes - buffer_.size());
        buffer_.insert(buffer_.end(), bytes, bytes + part);
        bytes += part;
        size -= part;
        if (buffer_.size() == kBufferBytes && !Flush())
            return false;
    }
    return true;
}

void WholeFile::Fail(int error)
{
    if (error_ == 0)
        error_ = error;
}

bool WholeFile::Flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t written = write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            Fail(written < 0 ? errno : EIO);
            return false;
        }
        done += std::size_t(written);
    }
    buffer_.clear();
    return true;
}

int WholeFile::Commit()
{
    if (error_ == 0 && Flush()) {
        // A device cannot be synced, and need not be.
        if (fsync(fd_) != 0 && !(temporary_.empty() && (errno == EINVAL || errno == EROFS)))
            Fail(errno);
        const int fd = std::exchange(fd_, -1);
        if (close(fd) != 0)
            Fail(errno);
        if (error_ == 0 && !temporary_.empty() && rename(temporary_.c_str(), path_.c_str()) != 0)
            Fail(errno);
    }
    if (error_ != 0) {
        Discard();
        return error_;
    }
    committed_ = true;
    return 0;
}

void WholeFile::Discard()
{
    if (fd_ >= 0)
        close(std::exchange(fd_, -1));
    if (!temporary_.empty())
        unlink(temporary_.c_str());
    temporary_.clear();
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
        first.st_ino == second.st_ino;
}
