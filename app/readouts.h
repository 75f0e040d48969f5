#pragma once
// The texts the main window shows about the view: the status line, the
// degrees-minutes-seconds of an angle, the cursor line and the frame rate.

#include <cstdint>

#include <QFontMetrics>
#include <QString>

#include "core/viewrecords.h"
#include "elevation/landscapeload.h"
#include "overlays/labelsubjects.h"
#include "render/framestate.h"

// " %3dﾟ%02d'%02d\"%d" of |angle| rounded to tenths of an arc-second.
QString FormatDms(double angle);

// The status line of the 3D view; `altitude` is the eye altitude shown.
// Heights drawn higher than they are (`heightQuarters` quarters) are noted
// at its end.
QString StatusLine(const Viewpoint& view, double altitude, int heightQuarters = kTrueHeightQuarters);
// What a load found besides its result: the cells it left at sea level and
// why, and a set opened alone (LoadNotesText, shown in the status line); with
// the samples without data (LoadReportText, its tooltip). Empty when there
// is nothing to tell.
QString LoadNotesText(const LoadReport& report);
QString LoadReportText(const LoadReport& report);

// The status line's note that the earth is drawn curved.
QString CurvatureReadout();
// The status line's note of the natural look's sun: its azimuth and its
// height above the horizon, in whole degrees.
QString SunReadout(double azimuth, double elevation);

// The cursor line for a distance and a ground height in metres; the distance
// carries the default locale's thousands separators.
QString CursorInfoText(double distance, int height);
// The cursor line over a label: the thing's name, the list's elevation, the
// data's height and prominence in metres, its distance in metres and bearing
// in degrees from the eye; what the thing lacks is left out. The name is cut
// (with an ellipsis) so that the line fits `width` pixels in `metrics`.
QString LabelInfoText(
    const LabelSubject& subject, double distance, double bearing, const QFontMetrics& metrics, int width);

// Frames per second over the 15 frame intervals from `then` to `now`, two
// millisecond tick counts that may have wrapped past 2^32 between them.
double FrameRate(uint32_t now, uint32_t then);
QString FrameRateText(double rate);
