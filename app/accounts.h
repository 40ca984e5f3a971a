#pragma once
// The account store's postings and look-ups that more than one window, or
// more than one statement, make up. No message boxes: callers show errors.
#include <QSqlDatabase>
#include <QStringList>

#include "db/connection.h"

// A window's own connection to the shop store. A store that cannot be
// opened is reported at once; the connection stays closed and every later
// statement reports again.
Connection OpenShopOrReport();

// The account whose name and password match: rows of that name in the
// order they were made, the first whose password hash verifies. Empty when
// none does.
QString MatchAccount(const QSqlDatabase& db, const QString& name, const QString& password);
// The rights an account holds, in the order the login reads them; a right
// counts only under its exact name and with a non-empty code.
QStringList AccountRights(const QSqlDatabase& db, const QString& account);
// Rewrites an account's rights to exactly these (right names, written in
// the order given), in one transaction.
void ApplyRights(QSqlDatabase db, const QString& account, const QStringList& rights);
// Removes an account together with its rights, in one transaction.
void DeleteAccount(QSqlDatabase db, const QString& account);
