#pragma once
// The clinic's store: the SQLite file Varnhold.db in the data folder, or a
// PostgreSQL server when several desks share it. Every clinic window opens
// its own connection with OpenClinicDatabase; missing tables are made then.
// Whatever the two engines need written differently is written here, once.
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <vector>

#include "db/clinicschema.h"
#include "db/connection.h"
#include "db/sql.h"

// The PostgreSQL connection string the clinic uses (host, port, dbname,
// user, password in libpq's key=value form), or empty for the SQLite file.
// BRIMWICK_CLINIC_SERVER, when set (even empty), wins over the key
// clinic/server of brimwick.ini in the data folder.
QString ClinicConnectionString();
// True when brimwick.ini in the data folder holds the clinic server's
// password and other users of the machine may read the file.
bool ClinicPasswordExposed();
// Path of the SQLite file used when no server is named.
QString ClinicDatabasePath();

// Opens a new connection to the clinic store and makes the tables that are
// missing; throws DbError with the engine's text when either fails.
Connection OpenClinicDatabase();
// How many openings of the clinic store failed in this thread so far. A
// window made while the count rose has no store and said why: it is not
// kept open as a shell, so that its next opening tries the store again
// (a corrected brimwick.ini takes effect then).
int FailedClinicOpenings();
// Opens a connection to the clinic store without making its tables: a
// loader makes them in its own transaction (MakeMissingClinicTables), so a
// load that is refused leaves an empty store without even empty tables.
Connection OpenClinicStore();
// Opens a connection to the server a connection string names, without
// touching its tables (tests and tools that manage databases).
Connection OpenPostgres(const QString& connectionString);

// The operator of a like test that ignores the case of ASCII letters on
// both stores, as SQLite's like does: a pinyin code typed "zx" finds
// "ZX". Put between the column and its bound pattern.
QString LikeOperator(const QSqlDatabase& db);

// Makes every clinic table, with its keys and indexes, that is missing.
void CreateClinicSchema(const QSqlDatabase& db);
// Brings the planner's statistics up to date where the tables have grown
// well past them (SQLite; a PostgreSQL server keeps its own). The reports'
// pinned indexes are walked by their leading column's few values only when
// the statistics say those are few; a store that grew from empty has none.
void RefreshPlannerStatistics(const QSqlDatabase& db);
// The same inside a transaction the caller holds (BeginWrite), so that its
// rollback takes the new tables back too.
void MakeMissingClinicTables(const QSqlDatabase& db);

// Every row of a select, read before anything else runs. On PostgreSQL a
// forward-only result arrives row by row, and the next statement on the
// same connection discards the rows not yet read: a loop that writes while
// it walks a result (the dispensing loop, the day close) reads it first.
QList<QVariantList> ReadAll(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});

// Runs a statement that takes no values as it is: table definitions and
// transaction control, which the PostgreSQL driver cannot prepare. Throws
// DbError. Never pass typed text here: values go through Exec.
void ExecDirect(const QSqlDatabase& db, const QString& sql);

// A transaction that holds the write lock from its start, so that a
// posting never fails half way for want of it (SQLite waits at the begin
// for the other desks, up to the busy time-out).
void BeginWrite(const QSqlDatabase& db);
// The same, and until the commit no other desk writes the tables named
// (SQLite: its write lock already keeps every other writer out; PostgreSQL:
// they are locked share row exclusive, so that the desks that write them
// wait and readers go on). A second such transaction waits for the first.
// On PostgreSQL it never waits long holding some of the tables: it lets go
// and tries again, up to 30 s in all, then throws DbError.
void BeginWriteAlone(const QSqlDatabase& db, const QStringList& tables);
void CommitWrite(const QSqlDatabase& db);
// Rolls back; a failure to do so is ignored (the connection may be gone,
// which ends the transaction anyway).
void RollbackWrite(const QSqlDatabase& db) noexcept;

// Appended to a select inside a write transaction: on PostgreSQL it locks
// the rows read until the transaction ends, so a value read and written
// back cannot be overwritten by another desk in between; SQLite's write
// lock already holds off every other writer.
QString RowLockClause(const QSqlDatabase& db);
// A column expression that names one physical row of a table for as long
// as a write transaction holds it locked (rowid on SQLite, ctid on
// PostgreSQL): for tables without a key of their own, whose rows may have
// twins. Read it with the row, bind it back as read.
QString PhysicalRowId(const QSqlDatabase& db);
// Inside a write transaction: waits until no other transaction holds the
// same name and holds it until this one ends, for work that reads before
// it writes rows that do not exist yet (a new visit's serial, a batch that
// two desks return to once it was used up). On SQLite
// the write lock already serialises every writer.
void LockNameUntilCommit(const QSqlDatabase& db, const QString& name);

// Scratch tables private to one connection, so that two desks running the
// same computation never see or break each other's rows. They vanish when
// the connection closes, and a rolled-back transaction takes back the ones
// it made. The name is a fixed name of the program, never typed text.
void CreateScratchTable(const QSqlDatabase& db, const QString& name, const std::vector<ClinicColumn>& columns);
// A private copy of a clinic table's layout under the same name: on this
// connection it hides the shared table until it is dropped, so statements
// written for the shared table work on private rows.
void CreateScratchTable(const QSqlDatabase& db, const ClinicTable& layout);
// Drops the scratch table when it exists (never a shared table).
void DropScratchTable(const QSqlDatabase& db, const QString& name);
bool ScratchTableExists(const QSqlDatabase& db, const QString& name);

// A scratch table for the length of one handler: made at once (any
// leftover of an earlier failure is dropped first), dropped at the end.
class ScratchTable {
 public:
  ScratchTable(const QSqlDatabase& db, const QString& name, const std::vector<ClinicColumn>& columns);
  // One of ClinicScratchTables(), under its own name.
  ScratchTable(const QSqlDatabase& db, const ClinicTable& layout);
  ~ScratchTable();
  ScratchTable(const ScratchTable&) = delete;
  ScratchTable& operator=(const ScratchTable&) = delete;
  const QString& name() const { return name_; }

 private:
  QSqlDatabase db_;
  QString name_;
};

// A name quoted for SQL text: for table and column names of the program,
// such as "单价(元)", never for values.
QString QuotedName(const QString& name);
