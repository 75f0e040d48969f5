#pragma once
// Files written whole or not at all. The bytes go to a temporary file in the
// target's folder, every write and the close are checked, and only then is
// it renamed over the target: a full disk, a file size limit or a crash
// leaves the old file as it was and no part-written one. Paths are the file
// system's bytes. A target that exists and is not a regular file (a device
// such as /dev/null or /dev/full, a FIFO) is written into directly, as it has
// no old content to keep.
//
// Errors are errno values; 0 means none.

#include <cstddef>
#include <string>
#include <vector>

class WholeFile {
public:
    // Opens the temporary file for `path`; error() tells whether it could.
    explicit WholeFile(std::string path);
    // Removes the temporary file unless Commit succeeded.
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Appends bytes; false once any write has failed.
    bool Write(const void* data, std::size_t size);
    // Records a failure found by the caller (ENOMEM for a picture that could
    // not be made, say); the file is then not committed.
    void Fail(int error);
    // Writes out what is buffered, syncs and closes the file and renames it
    // over the target. The first error met, or 0.
    int Commit();
    int error() const { return error_; }

private:
    bool Flush();
    void Discard();

    std::string path_;
    std::string temporary_;  // empty when writing into the target directly
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
    std::vector<char> buffer_;
};

// Whether two paths name the same file (device and inode); false when either
// does not exist.
bool SameFile(const std::string& a, const std::string& b);
