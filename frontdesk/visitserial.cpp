#include "frontdesk/visitserial.h"

#include <cmath>

#include "db/clinicdb.h"
#include "db/sql.h"

namespace {
// Each part reads the end of one (划价人帐号, 流水号) index.
const QString kLargestSerial = QStringLiteral(
    "select max(最大流水号) from ("
    "select max(流水号) as 最大流水号 from 收银信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 临时出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息临时表 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 退药信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务费退还信息 where 划价人帐号 = ?) as 各表流水号");
const int kSerialTables = 9;
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
