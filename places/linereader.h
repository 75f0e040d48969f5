#pragma once
// Lines of a text stream of any size, read a chunk at a time so that no more
// than one chunk and one line are held, with progress and cancelling at each
// chunk.

#include <cstdint>
#include <istream>
#include <string_view>
#include <vector>

#include "places/listreading.h"

class LineReader {
public:
    // Lines longer than this (no real list has them) are skipped unread.
    static constexpr std::size_t kMaxLineBytes = std::size_t(1) << 20;

    LineReader(std::istream& in, int64_t totalBytes, const ReadControl& control);

    // The next line, without its "\n" or "\r\n"; false at the end, or once
    // the control's stop flag is seen. A line over kMaxLineBytes comes back
    // empty with overlong() set.
    bool Next(std::string_view& line);

    int64_t lineNumber() const { return lineNumber_; }  // of the last line given, from 1
    bool overlong() const { return overlong_; }
    bool stopped() const { return stopped_; }

private:
    bool Refill();
    void SkipPastNewline();

    std::istream& in_;
    int64_t totalBytes_;
    const ReadControl& control_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // unread bytes are [begin_, end_)
    std::size_t end_ = 0;
    int64_t bytesRead_ = 0;
    int64_t lineNumber_ = 0;
    bool atEnd_ = false;
    bool overlong_ = false;
    bool stopped_ = false;
};
