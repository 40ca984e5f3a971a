#include "frontdesk/visitserial.h"

#include <cmath>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"

namespace {
using namespace DeskStatements;

}  // namespace

qint64 NextVisitSerial(const QSqlDatabase& db, const QString& account) {
  QVariantList values;
  for (int i = 0; i < kSerialTables; ++i) values << account;
  const QString largest = ScalarText(db, kLargestSerial, values);
  if (largest.isEmpty()) return 1;
  bool ok = false;
  const double value = largest.toDouble(&ok);
  if (!ok || !std::isfinite(value)) throw DbError(QStringLiteral("no serial: ") + largest);
  return static_cast<qint64>(std::floor(value)) + 1;
}

qint64 ClaimVisitSerial(const QSqlDatabase& db, const QString& account, qint64 drawn) {
  LockNameUntilCommit(db, QStringLiteral("visit serial|") + account);
  const qint64 next = NextVisitSerial(db, account);
  return drawn >= next ? drawn : next;
}
