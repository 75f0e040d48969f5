#include "app/sunmoment.h"

#include <chrono>
#include <cstdlib>

CivilTime MinutesLater(const CivilTime& time, int minutes)
{
    using namespace std::chrono;
    const sys_days date = year_month_day{year{time.year}, month{unsigned(time.month)}, day{unsigned(time.day)}};
    const sys_time<std::chrono::minutes> moved = date + hours{time.hour} + std::chrono::minutes{time.minute + minutes};
    const sys_days movedDate = floor<days>(moved);
    const year_month_day ymd{movedDate};
    const auto clock = duration_cast<std::chrono::minutes>(moved - movedDate).count();
    CivilTime later = time;
    later.year = int(ymd.year());
    later.month = int(unsigned(ymd.month()));
    later.day = int(unsigned(ymd.day()));
    later.hour = int(clock / 60);
    later.minute = int(clock % 60);
    later.second = 0;
    return later;
}

int MinuteOfDay(const CivilTime& time)
{
    return time.hour * 60 + time.minute;
}

CivilTime AtMinuteOfDay(const CivilTime& time, int minute)
{
    CivilTime at = time;
    at.hour = 0;
    at.minute = 0;
    return MinutesLater(at, minute);
}

QString MomentText(const CivilTime& time)
{
    const int offset = std::abs(time.utcOffsetMinutes);
    return QString::asprintf("%04d-%02d-%02dT%02d:%02d%c%02d:%02d", time.year, time.month, time.day, time.hour,
        time.minute, time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
}

QString DayAndClockText(const CivilTime& time)
{
    return QString::asprintf("%02d-%02d %02d:%02d", time.month, time.day, time.hour, time.minute);
}
