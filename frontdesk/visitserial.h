#pragma once
// The serial of a new clinic visit, per pricing account.
#include <QSqlDatabase>
#include <QString>

// Hands out the account's next visit serial and keeps it handed out: the
// account's counter in the store goes up in a transaction of its own, so
// that no two desks of one account, and no visit after a day close voided
// an earlier one's rows, ever get the same serial. The counter starts
// above the largest serial the account has used in any table that keeps a
// visit's rows, so a store that had visits before the counter carries on
// after them. The first serial of an account is 1. Throws DbError.
qint64 NextVisitSerial(const QSqlDatabase& db, const QString& account);
