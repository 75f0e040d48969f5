#pragma once
// A record of every 3D frame, for measuring how smoothly the viewer flies:
// when each frame began, how long it took, and marks for events such as a
// set taking the place of another. Only made when VANTOREL_FRAME_LOG names a
// file (scripts/flight-frames.sh); a line is written per frame, so that a
// viewer ended by a signal leaves its record whole.

#include <cstdio>
#include <memory>

#include <QElapsedTimer>

class FrameLog {
public:
    // The log VANTOREL_FRAME_LOG asks for, or none.
    static std::unique_ptr<FrameLog> FromEnvironment();

    explicit FrameLog(std::FILE* file);
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    void FrameBegins();
    void FrameEnds();
    void Mark(const char* event);

private:
    double Now() const;

    std::FILE* file_;
    QElapsedTimer clock_;
    double frameStart_ = 0;
};
