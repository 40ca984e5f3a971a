#include "support/clinicfixture.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "support/testkit.h"

namespace {
const char* const kServerVariable = "BRIMWICK_TEST_PG";
const QString kSqlite = QStringLiteral("sqlite");
const QString kPostgres = QStringLiteral("postgres");

QString& current() {
  static QString store;
  return store;
}

QString& programDatabase() {
  static QString name;
  return name;
}

QString ServerString() { return qEnvironmentVariable(kServerVariable).trimmed(); }

void DropProgramDatabase() {
  if (programDatabase().isEmpty()) return;
  try {
    Connection admin = OpenPostgres(ServerString());
    ExecDirect(admin.db(), QStringLiteral("drop database if exists %1 with (force)").arg(QuotedName(programDatabase())));
  } catch (const DbError& error) {
    qWarning("could not drop the test database %s: %s", qPrintable(programDatabase()), qPrintable(error.text()));
  }
  programDatabase().clear();
}

// This program's own database on the server, made on first use.
QString ProgramConnectionString() {
  if (programDatabase().isEmpty()) {
    QString program = QCoreApplication::applicationName().toLower();
    program.replace(QRegularExpression(QStringLiteral("[^a-z0-9]")), QStringLiteral("_"));
    const QString name = QStringLiteral("t_%1_%2_%3")
                             .arg(program.left(30))
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
    Connection admin = OpenPostgres(ServerString());
    ExecDirect(admin.db(), QStringLiteral("create database %1").arg(QuotedName(name)));
    programDatabase() = name;
    qAddPostRoutine(DropProgramDatabase);
  }
  // libpq lets a later key win, so the server's own dbname is replaced.
  return ServerString() + QStringLiteral(" dbname=") + programDatabase();
}

void EmptyServerStore(const QString& connectionString) {
  Connection c = OpenPostgres(connectionString);
  ExecDirect(c.db(), QStringLiteral("drop schema if exists public cascade"));
  ExecDirect(c.db(), QStringLiteral("create schema public"));
}
}  // namespace

namespace ClinicFixture {
QStringList Stores() {
  QStringList stores{kSqlite};
  if (!ServerString().isEmpty()) stores << kPostgres;
  return stores;
}

void AddStoreRows() {
  QTest::addColumn<QString>("store");
  for (const QString& store : Stores()) QTest::newRow(qPrintable(store)) << store;
}

void Prepare() {
  QFETCH_GLOBAL(QString, store);
  Prepare(store);
}

void Prepare(const QString& store) {
  TestKit::FreshDataDir();
  current() = store;
  if (store == kPostgres) {
    const QString connectionString = ProgramConnectionString();
    EmptyServerStore(connectionString);
    qputenv("BRIMWICK_CLINIC_SERVER", connectionString.toUtf8());
  } else {
    // Set but empty: the SQLite file, whatever an ini file might say.
    qputenv("BRIMWICK_CLINIC_SERVER", QByteArray());
  }
}

QString CurrentStore() { return current(); }

void InsertRow(const QSqlDatabase& db, const QString& table, const QList<QPair<QString, QVariant>>& values) {
  QStringList columns, marks;
  QVariantList bound;
  for (const auto& [column, value] : values) {
    columns << QuotedName(column);
    marks << QStringLiteral("?");
    bound << value;
  }
  Exec(db,
       QStringLiteral("insert into %1 (%2) values (%3)")
           .arg(QuotedName(table), columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
       bound);
}

QStringList TableRows(const QSqlDatabase& db, const QString& table) {
  QSqlQuery query = Exec(db, QStringLiteral("select * from %1").arg(QuotedName(table)));
  QStringList rows;
  while (query.next()) {
    QStringList cells;
    for (int i = 0; i < query.record().count(); ++i) cells << CellText(query.value(i)).trimmed();
    rows << cells.join(QLatin1Char('|'));
  }
  rows.sort();
  return rows;
}

QStringList ColumnNames(const QSqlDatabase& db, const QString& table) {
  const QSqlRecord record = Exec(db, QStringLiteral("select * from %1 where 1 = 0").arg(QuotedName(table))).record();
  QStringList names;
  for (int i = 0; i < record.count(); ++i) names << record.fieldName(i);
  return names;
}

DbError ThrownBy(const std::function<void()>& work) {
  try {
    work();
  } catch (const DbError& error) {
    return error;
  }
  return DbError(QStringLiteral("no error"));
}
}  // namespace ClinicFixture
