#pragma once
// The moment the natural look's sun is drawn for: a clock time with its
// offset from UTC, stepped across midnight, set by the minute of its day,
// and written as the viewer shows it and as vantorel-render's --sun reads it.

#include <QString>

#include "core/sunposition.h"

inline constexpr int kMinutesPerDay = 24 * 60;

// `time` moved on by `minutes` (back for fewer than 0) on the same clock,
// its date following across midnight; seconds are dropped.
CivilTime MinutesLater(const CivilTime& time, int minutes);

// Minutes since midnight, 0 .. 1439.
int MinuteOfDay(const CivilTime& time);
// `time`'s date and clock at `minute` (0 .. 1439) of that day.
CivilTime AtMinuteOfDay(const CivilTime& time, int minute);

// "2026-07-21T12:00+09:14", the form ParseCivilTime reads.
QString MomentText(const CivilTime& time);
// "12-21 07:00": month, day and clock.
QString DayAndClockText(const CivilTime& time);
