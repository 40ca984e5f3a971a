#pragma once
// The serial of a new clinic visit, per pricing account.
#include <QSqlDatabase>
#include <QString>

// One more than the largest serial the account has used in any table that
// keeps a visit's rows: the open vouchers and lines, the paid visits, the
// dispensing queue, the dispensed lines, the paid services and the
// returns. The returns and dispensed lines outlive a visit's voucher and
// income row, so a serial never comes back while anything of its visit is
// left. The first serial of an account is 1. Throws DbError.
qint64 NextVisitSerial(const QSqlDatabase& db, const QString& account);

// Inside a write transaction, before a visit's first row is written: the
// serial drawn for it when it is still free (above every serial the account
// has used), else a new one. Two desks of one account that drew the same
// serial thus never write one visit together.
qint64 ClaimVisitSerial(const QSqlDatabase& db, const QString& account, qint64 drawn);
