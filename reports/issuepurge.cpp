#include "reports/issuepurge.h"

#include "db/sql.h"

namespace {
// 出库信息 has an index on 数量, so an opening finds the empty lines
// without reading the whole history.
const QString kDeleteEmptyIssueLines = QStringLiteral("delete from 出库信息 where 数量 = 0");
}  // namespace

int PurgeEmptyIssueLines(const QSqlDatabase& db) { return ExecCount(db, kDeleteEmptyIssueLines); }
