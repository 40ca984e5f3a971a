#pragma once
// Every clinic test runs on both stores: the SQLite file always, and a
// PostgreSQL server when BRIMWICK_TEST_PG names one (scripts/test.sh starts
// one on loopback). Each test program gets its own database on that server,
// dropped when the program ends, so that ctest -j runs them side by side;
// each test starts from an empty store.
//
// Use:
//   void initTestCase_data() { ClinicFixture::AddStoreRows(); }
//   void init() { ClinicFixture::Prepare(); }
//   ... Connection c = OpenClinicDatabase(); ...
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "db/sql.h"

namespace ClinicFixture {
// "sqlite", and "postgres" when a server is named.
QStringList Stores();
// One global data row per store (column "store"): every test of the class
// runs once on each.
void AddStoreRows();
// A fresh data folder and a fresh, empty clinic store of the current global
// row's kind; OpenClinicDatabase() opens it afterwards.
void Prepare();
void Prepare(const QString& store);
// The store the current test runs on.
QString CurrentStore();

// Inserts one row naming its columns; the values are bound.
void InsertRow(const QSqlDatabase& db, const QString& table, const QList<QPair<QString, QVariant>>& values);
// Every row of a table as its cell texts joined by "|", sorted: for
// comparing a table before and after.
QStringList TableRows(const QSqlDatabase& db, const QString& table);
// Column names of a table in their physical order.
QStringList ColumnNames(const QSqlDatabase& db, const QString& table);
// The DbError that work throws; one of kind Other saying "no error" when
// it throws none.
DbError ThrownBy(const std::function<void()>& work);
}  // namespace ClinicFixture
