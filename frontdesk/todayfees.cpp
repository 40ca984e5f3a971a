#include "frontdesk/todayfees.h"

#include "db/sql.h"

// A range on the income, so that the store finds these visits by its index
// on the income instead of reading every visit.
const QString kPurgeVisitsWithoutIncome = QStringLiteral(
    R"~(delete from 患者信息 where "收入金额(元)" > -0.005 and "收入金额(元)" < 0.005)~");

int PurgeVisitsWithoutIncome(const QSqlDatabase& db) { return ExecCount(db, kPurgeVisitsWithoutIncome); }
