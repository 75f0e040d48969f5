#include "video/videowriter.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "core/usertext.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

// x264's "veryfast" with a constant quality of 20: close to the eye's
// limit for landscapes, several times faster than the default preset.
constexpr const char* kPreset = "veryfast";
constexpr const char* kQuality = "20";
constexpr int kKeyFrameSeconds = 2;

std::string AvErrorText(int averror)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(averror, text, sizeof text);
    return text;
}

}  // namespace

std::string_view VideoProblemText(VideoProblem problem)
{
    switch (problem) {
    case VideoProblem::None: return {};
    case VideoProblem::NoEncoder:
        return UserText("VideoWriter", "動画「%1」を書けません．FFmpeg に H.264 の符号化器 (libx264) がありません．");
    case VideoProblem::TooSmall:
        return UserText("VideoWriter", "動画「%1」を書けません．画面が小さすぎます (2 × 2 画素以上)．");
    case VideoProblem::CannotOpen: return UserText("VideoWriter", "動画「%1」を作れません：%2");
    case VideoProblem::CannotEncode: return UserText("VideoWriter", "動画「%1」を書き込めません：%2");
    }
    return {};
}

// FFmpeg's objects for one file, freed in the reverse order of their making.
struct VideoWriter::Codec {
    AVFormatContext* format = nullptr;
    AVCodecContext* context = nullptr;
    AVStream* stream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;

    ~Codec()
    {
        sws_freeContext(scale);
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
        if (format && format->pb)
            avio_closep(&format->pb);
        avformat_free_context(format);
    }
};

bool VideoWriter::Fail(VideoProblem problem, int averror)
{
    // FFmpeg's codes for the system's errors are the errno values negated.
    constexpr int kLargestErrno = 4095;
    if (ok())
        error_ = {problem, path_, averror < 0 ? AvErrorText(averror) : std::string(),
            averror < 0 && averror >= -kLargestErrno ? -averror : 0};
    return false;
}

VideoWriter::VideoWriter(const std::string& path, int width, int height) :
    path_(path), width_(width & ~1), height_(height & ~1), codec_(std::make_unique<Codec>())
{
    if (width_ < 2 || height_ < 2) {
        Fail(VideoProblem::TooSmall, 0);
        return;
    }
    // FFmpeg's log is its own global: errors only, which come back to us
    // as codes anyway, not x264's statistics on every program's stderr.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder) {
        Fail(VideoProblem::NoEncoder, 0);
        return;
    }
    Codec& c = *codec_;
    // MP4 whatever the name ends in.
    if (const int e = avformat_alloc_output_context2(&c.format, nullptr, "mp4", path.c_str()); e < 0) {
        Fail(VideoProblem::CannotOpen, e);
        return;
    }
    c.stream = avformat_new_stream(c.format, nullptr);
    c.context = avcodec_alloc_context3(encoder);
    c.frame = av_frame_alloc();
    c.packet = av_packet_alloc();
    if (!c.stream || !c.context || !c.frame || !c.packet) {
        Fail(VideoProblem::CannotOpen, AVERROR(ENOMEM));
        return;
    }
    c.context->width = width_;
    c.context->height = height_;
    c.context->time_base = {1, kVideoFramesPerSecond};
    c.context->framerate = {kVideoFramesPerSecond, 1};
    c.context->pix_fmt = AV_PIX_FMT_YUV420P;
    c.context->gop_size = kKeyFrameSeconds * kVideoFramesPerSecond;
    if (c.format->oformat->flags & AVFMT_GLOBALHEADER)
        c.context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(c.context->priv_data, "preset", kPreset, 0);
    av_opt_set(c.context->priv_data, "crf", kQuality, 0);
    if (const int e = avcodec_open2(c.context, encoder, nullptr); e < 0) {
        Fail(VideoProblem::CannotEncode, e);
        return;
    }
    if (const int e = avcodec_parameters_from_context(c.stream->codecpar, c.context); e < 0) {
        Fail(VideoProblem::CannotEncode, e);
        return;
    }
    c.stream->time_base = c.context->time_base;
    c.stream->avg_frame_rate = c.context->framerate;
    if (const int e = avio_open(&c.format->pb, path.c_str(), AVIO_FLAG_WRITE); e < 0) {
        Fail(VideoProblem::CannotOpen, e);
        return;
    }
    created_ = true;
    if (const int e = avformat_write_header(c.format, nullptr); e < 0) {
        Fail(VideoProblem::CannotEncode, e);
        return;
    }
    c.frame->format = AV_PIX_FMT_YUV420P;
    c.frame->width = width_;
    c.frame->height = height_;
    if (const int e = av_frame_get_buffer(c.frame, 0); e < 0) {
        Fail(VideoProblem::CannotEncode, e);
        return;
    }
    // Our pixels are 0xAARRGGBB words: B, G, R, A bytes on a little-endian
    // host, A, R, G, B on a big-endian one.
    const AVPixelFormat ours = std::endian::native == std::endian::little ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_0RGB;
    c.scale = sws_getContext(
        width_, height_, ours, width_, height_, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!c.scale) {
        Fail(VideoProblem::CannotEncode, AVERROR(EINVAL));
        return;
    }
    staging_.resize(std::size_t(width_) * std::size_t(height_));
}

VideoWriter::~VideoWriter()
{
    codec_.reset();
    if (created_ && !finished_)
        std::remove(path_.c_str());
}

// Hands the encoder's packets to the file: those ready now, or when
// flushing, all it holds.
bool VideoWriter::Drain(bool flushing)
{
    Codec& c = *codec_;
    for (;;) {
        const int e = avcodec_receive_packet(c.context, c.packet);
        if (e == AVERROR(EAGAIN) && !flushing)
            return true;
        if (e == AVERROR_EOF)
            return true;
        if (e < 0)
            return Fail(VideoProblem::CannotEncode, e);
        av_packet_rescale_ts(c.packet, c.context->time_base, c.stream->time_base);
        c.packet->stream_index = c.stream->index;
        if (const int w = av_interleaved_write_frame(c.format, c.packet); w < 0)
            return Fail(VideoProblem::CannotEncode, w);
    }
}

bool VideoWriter::Write(const uint32_t* const* rows)
{
    if (!ok() || finished_)
        return false;
    Codec& c = *codec_;
    for (int y = 0; y < height_; ++y)
        std::memcpy(&staging_[std::size_t(y) * std::size_t(width_)], rows[y], std::size_t(width_) * 4);
    if (const int e = av_frame_make_writable(c.frame); e < 0)
        return Fail(VideoProblem::CannotEncode, e);
    const uint8_t* const planes[1] = {reinterpret_cast<const uint8_t*>(staging_.data())};
    const int strides[1] = {width_ * 4};
    sws_scale(c.scale, planes, strides, 0, height_, c.frame->data, c.frame->linesize);
    c.frame->pts = frames_;
    if (const int e = avcodec_send_frame(c.context, c.frame); e < 0)
        return Fail(VideoProblem::CannotEncode, e);
    ++frames_;
    return Drain(false);
}

bool VideoWriter::Finish()
{
    if (!ok() || finished_)
        return false;
    Codec& c = *codec_;
    if (const int e = avcodec_send_frame(c.context, nullptr); e < 0)
        return Fail(VideoProblem::CannotEncode, e);
    if (!Drain(true))
        return false;
    if (const int e = av_write_trailer(c.format); e < 0)
        return Fail(VideoProblem::CannotEncode, e);
    if (const int e = avio_closep(&c.format->pb); e < 0)
        return Fail(VideoProblem::CannotEncode, e);
    finished_ = true;
    return true;
}

std::string VideoErrorMessage(const VideoError& error)
{
    std::string text(VideoProblemText(error.problem));
    const auto put = [&text](std::string_view marker, std::string_view value) {
        if (const std::size_t at = text.find(marker); at != std::string::npos)
            text.replace(at, marker.size(), value);
    };
    put("%1", error.file);
    put("%2", error.reason);
    return text;
}
