#pragma once

#include <QDateTime>

// The calendar date and time of day, for log file names and time stamps.
// Durations and waits use Clock instead.
class WallClock {
public:
    static QDateTime localNow() { return QDateTime::currentDateTime(); }
};
