#include "platform/clock.h"

namespace {
QDateTime& fixed() {
  static QDateTime moment;
  return moment;
}
}  // namespace

namespace Clock {
QDate today() { return now().date(); }
QDateTime now() { return fixed().isValid() ? fixed() : QDateTime::currentDateTime(); }
void Set(const QDateTime& moment) { fixed() = moment; }
void Reset() { fixed() = QDateTime(); }
}  // namespace Clock
