#pragma once

#include <QDateTime>
#include <cstdint>

// Date-times are local times held as days since 30 December 1899, the fraction
// being the time of day. File times are compared to the millisecond.

double ToDayCount(const QDateTime& localTime);

// The day count rounded to whole milliseconds, for comparisons.
std::int64_t DayCountMilliseconds(double dayCount);

// True when a is later than b, to the millisecond.
bool LaterToTheMillisecond(double a, double b);
