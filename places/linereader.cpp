#include "places/linereader.h"

#include <algorithm>
#include <cstring>

namespace {

// At most twice the longest line, so that a line up to the limit always fits
// after moving the unread part to the front; a small file takes a small
// buffer, grown as its lines need.
constexpr std::size_t kMaxBufferBytes = 2 * LineReader::kMaxLineBytes;
constexpr std::size_t kMinBufferBytes = 4096;

std::size_t FirstBufferBytes(int64_t totalBytes)
{
    return std::clamp(std::size_t(std::max<int64_t>(totalBytes, 0)) + 1, kMinBufferBytes, kMaxBufferBytes);
}

std::string_view WithoutCarriageReturn(std::string_view line)
{
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

}  // namespace

LineReader::LineReader(std::istream& in, int64_t totalBytes, const ReadControl& control) :
    in_(in), totalBytes_(totalBytes), control_(control), buffer_(FirstBufferBytes(totalBytes))
{
}

bool LineReader::Refill()
{
    if (atEnd_)
        return false;
    if (control_.Stopped()) {
        stopped_ = true;
        return false;
    }
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    if (end_ == buffer_.size())
        buffer_.resize(std::min(2 * buffer_.size(), kMaxBufferBytes));
    in_.read(buffer_.data() + end_, std::streamsize(buffer_.size() - end_));
    const auto got = std::size_t(in_.gcount());
    end_ += got;
    bytesRead_ += int64_t(got);
    atEnd_ = got == 0 || !in_;
    control_.Report(bytesRead_, totalBytes_);
    return got > 0;
}

void LineReader::SkipPastNewline()
{
    for (;;) {
        const char* data = buffer_.data();
        if (const void* newline = std::memchr(data + begin_, '\n', end_ - begin_)) {
            begin_ = std::size_t(static_cast<const char*>(newline) - data) + 1;
            return;
        }
        begin_ = end_;
        if (!Refill())
            return;
    }
}

bool LineReader::Next(std::string_view& line)
{
    overlong_ = false;
    for (;;) {
        const char* data = buffer_.data();
        const std::size_t unread = end_ - begin_;
        if (const void* found = std::memchr(data + begin_, '\n', unread)) {
            const auto newline = std::size_t(static_cast<const char*>(found) - data);
            overlong_ = newline - begin_ > kMaxLineBytes;
            line = overlong_ ? std::string_view() : WithoutCarriageReturn({data + begin_, newline - begin_});
            begin_ = newline + 1;
            ++lineNumber_;
            return true;
        }
        if (unread > kMaxLineBytes) {
            ++lineNumber_;
            overlong_ = true;
            line = {};
            SkipPastNewline();
            return !stopped_;
        }
        if (!Refill()) {
            if (stopped_ || begin_ == end_)
                return false;
            // The last line, without a newline.
            line = WithoutCarriageReturn({buffer_.data() + begin_, end_ - begin_});  // Refill may have moved it
            begin_ = end_;
            ++lineNumber_;
            return true;
        }
    }
}
