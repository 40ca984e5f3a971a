#include "frontdesk/todayfees.h"

#include "db/sql.h"

namespace {
// A range on the income, so that the store finds these visits by its index
// on the income instead of reading every visit.
const QString kPurge = QStringLiteral(
    R"~(delete from 患者信息 where "收入金额(元)" > -0.005 and "收入金额(元)" < 0.005)~");
}  // namespace

int PurgeVisitsWithoutIncome(const QSqlDatabase& db) { return ExecCount(db, kPurge); }
