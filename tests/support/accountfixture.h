#pragma once
// Accounts in the shop store for the tests of the login, the accounts
// window and the password window. Each call opens its own connection to the
// store of the current data folder.
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace AccountFixture {
// Adds an account with its password hashed and the given rights (names).
void AddUser(const QString& account, const QString& name, const QString& password, const QStringList& rights = {});
// Runs a statement on the shop store (triggers, odd rows).
void Run(const QString& sql, const QVariantList& values = {});
// First cell of a query, as text ("" without a row).
QString Scalar(const QString& sql, const QVariantList& values = {});
// Every row of a query, its cells joined by "|".
QStringList Rows(const QString& sql, const QVariantList& values = {});
// Whether the stored hash of the account verifies the password.
bool PasswordIs(const QString& account, const QString& password);
}  // namespace AccountFixture
