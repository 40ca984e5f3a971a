#include "frontdesk/visitserial.h"

#include <cmath>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskstatements.h"

namespace {
using namespace DeskStatements;

double LargestStoredSerial(const QSqlDatabase& db, const QString& account) {
  QVariantList values;
  for (int i = 0; i < kSerialTables; ++i) values << account;
  const QString largest = ScalarText(db, kLargestSerial, values);
  if (largest.isEmpty()) return 0;
  bool ok = false;
  const double value = largest.toDouble(&ok);
  if (!ok || !std::isfinite(value)) throw DbError(QStringLiteral("no serial: ") + largest);
  return std::floor(value);
}
}  // namespace

qint64 NextVisitSerial(const QSqlDatabase& db, const QString& account) {
  double serial = 0;
  QString failure;
  const bool done = TransactionPosting(
      db,
      [&] {
        Exec(db, kStartSerialCounter, {account});
        // The counter row is locked by the update; rows written meanwhile
        // carry serials it handed out before, so none lies above it.
        const double largest = LargestStoredSerial(db, account);
        const QList<QVariantList> taken = ReadAll(db, kAdvanceSerialCounter, {largest, largest, account});
        if (taken.size() != 1) throw DbError(QStringLiteral("no serial counter for ") + account);
        serial = taken[0][0].toDouble();
      },
      &failure);
  if (!done) throw DbError(failure);
  return static_cast<qint64>(serial);
}
