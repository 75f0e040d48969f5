#pragma once
// Writes frames to an H.264 video in an MP4 file, through the FFmpeg
// libraries (libavcodec's libx264, libswscale for the colour conversion,
// libavformat for the file): 4:2:0 YUV at a fixed frame rate, which every
// player takes. A failure names the file and says why, in a text of its own
// kind (VideoProblemText) and FFmpeg's reason.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int kVideoFramesPerSecond = 30;

enum class VideoProblem {
    None,
    NoEncoder,  // this FFmpeg has no H.264 encoder
    TooSmall,  // under 2 x 2 pixels
    CannotOpen,  // the file could not be made
    CannotEncode,  // the encoder or the writes failed part way
};

// The user's text for a problem, in Japanese, translated by the Qt side
// under the context "VideoWriter": %1 is the file, %2 the reason.
std::string_view VideoProblemText(VideoProblem problem);

struct VideoError {
    VideoProblem problem = VideoProblem::None;
    std::string file;
    std::string reason;  // FFmpeg's or the system's words, may be empty
    int systemError = 0;  // the errno behind the reason, when there is one
};

// The problem's text with the file and the reason put in, untranslated.
std::string VideoErrorMessage(const VideoError& error);

class VideoWriter {
public:
    // Opens `path` for frames of width x height pixels. An odd width or
    // height loses its last column or row: 4:2:0 colour needs even sides.
    // Check ok() before writing.
    VideoWriter(const std::string& path, int width, int height);
    ~VideoWriter();  // an unfinished video is removed
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    bool ok() const { return error_.problem == VideoProblem::None; }
    const VideoError& error() const { return error_; }
    // The frame size written, even on both sides.
    int width() const { return width_; }
    int height() const { return height_; }
    int framesWritten() const { return frames_; }

    // One frame of our pixels (0xAARRGGBB, alpha ignored), its rows given
    // one by one; at least width() x height() of them are read. False, with
    // error() set, once writing has failed.
    bool Write(const uint32_t* const* rows);
    // Writes what the encoder holds back and closes the file, which is then
    // a whole video of the frames written. False, the file removed, on failure.
    bool Finish();

private:
    struct Codec;
    bool Fail(VideoProblem problem, int averror);
    bool Drain(bool flushing);

    std::string path_;
    int width_;
    int height_;
    int frames_ = 0;
    bool created_ = false;  // the file exists, made by us
    bool finished_ = false;
    VideoError error_;
    std::unique_ptr<Codec> codec_;
    std::vector<uint32_t> staging_;  // one frame's rows side by side, for the colour conversion
};
