#include "app/framelog.h"

#include <cstdlib>

std::unique_ptr<FrameLog> FrameLog::FromEnvironment()
{
    const char* path = std::getenv("VANTOREL_FRAME_LOG");
    if (!path || !*path)
        return nullptr;
    std::FILE* file = std::fopen(path, "w");
    if (!file) {
        std::perror(path);
        return nullptr;
    }
    return std::make_unique<FrameLog>(file);
}

FrameLog::FrameLog(std::FILE* file) : file_(file)
{
    clock_.start();
    std::fputs("# milliseconds: frame start, frame time; or an event\n", file_);
}

FrameLog::~FrameLog()
{
    std::fclose(file_);
}

double FrameLog::Now() const
{
    return double(clock_.nsecsElapsed()) / 1e6;
}

void FrameLog::FrameBegins()
{
    frameStart_ = Now();
}

void FrameLog::FrameEnds()
{
    std::fprintf(file_, "frame %.3f %.3f\n", frameStart_, Now() - frameStart_);
    std::fflush(file_);
}

void FrameLog::Mark(const char* event)
{
    std::fprintf(file_, "%s %.3f\n", event, Now());
    std::fflush(file_);
}
