#pragma once
// Paid visits that brought no income are dropped from the income record.
#include <QSqlDatabase>

// Deletes every paid visit, of any day, whose income shows as 0.00: also
// one left with a trace of binary noise after partial returns (12.3 - 4.1
// - 8.2). Returns how many went.
int PurgeVisitsWithoutIncome(const QSqlDatabase& db);
// Its statement, for the benchmark's bare run.
extern const QString kPurgeVisitsWithoutIncome;
