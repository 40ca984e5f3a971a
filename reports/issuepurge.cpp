#include "reports/issuepurge.h"

#include "db/clinicconventions.h"
#include "db/sql.h"

// 出库信息 has an index of its empty lines, so an opening finds them
// without reading the whole history.
const QString kDeleteEmptyIssueLines = QStringLiteral("delete from 出库信息 where ") + kEmptyIssueLine;

int PurgeEmptyIssueLines(const QSqlDatabase& db) { return ExecCount(db, kDeleteEmptyIssueLines); }
