#pragma once
// The one place windows read the day and time from, so tests can fix them.
#include <QDate>
#include <QDateTime>

namespace Clock {
QDate today();
QDateTime now();
// Fixes the clock at a moment (tests); Reset returns to the system clock.
void Set(const QDateTime& moment);
void Reset();
}  // namespace Clock
