#include "platform/FileTime.h"

#include <cmath>

namespace {
const QDate Epoch(1899, 12, 30);
constexpr double MsPerDay = 86400000.0;
} // namespace

double ToDayCount(const QDateTime& localTime) {
    const QDateTime t = localTime.toLocalTime();
    const qint64 days = Epoch.daysTo(t.date());
    const qint64 ms = t.time().msecsSinceStartOfDay();
    return double(days) + double(ms) / MsPerDay;
}

std::int64_t DayCountMilliseconds(double dayCount) {
    if (!std::isfinite(dayCount))
        return 0;
    return std::llround(dayCount * MsPerDay);
}

bool LaterToTheMillisecond(double a, double b) {
    return DayCountMilliseconds(a) > DayCountMilliseconds(b);
}
