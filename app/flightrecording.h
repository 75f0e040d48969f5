#pragma once
// "Record flight" (Ctrl+R): the next flight, along the GPX track shown or
// the demo's lap from where the eye stands, filmed off the screen at the 3D
// view's size into an MP4 video chosen in a save dialog. A progress window
// shows how far it has come; Esc or its button stops it, keeping the frames
// filmed so far as a whole video.

#include <QString>

#include "video/videowriter.h"

class MainWindow;

// A video problem as the user reads it, translated, naming the file.
QString VideoErrorText(const VideoError& error);

// Films the next flight into `path`: the number of frames written, or -1
// after a failure, which is shown to the user.
int RecordFlightTo(MainWindow& window, const QString& path);

// Adds "Record flight" to the 3D view's menu, with its key.
void AddFlightRecording(MainWindow& window);
