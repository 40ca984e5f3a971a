#include "frontdesk/todayfees.h"

#include "db/clinicconventions.h"
#include "db/sql.h"

// A range on the income, so that the store finds these visits by its index
// on the income instead of reading every visit.
const QString kPurgeVisitsWithoutIncome = QStringLiteral("delete from 患者信息 where ") + kNoIncome;

int PurgeVisitsWithoutIncome(const QSqlDatabase& db) { return ExecCount(db, kPurgeVisitsWithoutIncome); }
