#pragma once
// The rows of a result, held compactly: the cells row after row in one
// array, the text of every cell end to end in one buffer, so that a year of
// lines is a few allocations rather than one per row and one per text, and
// is dropped as cheaply. A cell becomes a QVariant only when asked for.
#include <QByteArray>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <limits>

struct sqlite3_stmt;
class QSqlDriver;

class FetchedRows {
 public:
  FetchedRows() = default;
  FetchedRows(const FetchedRows&) = delete;
  FetchedRows& operator=(const FetchedRows&) = delete;

  // Reads the first rows of an executed query in place of the rows held,
  // in the room they took; the rest wait for ReadMore. The query is taken
  // over (the caller's is left inactive) and finished after its last row. A query over an SQLite store is
  // read straight from its statement, with the value types Qt's driver
  // gives (integers, doubles, texts, blobs, nulls as null texts); any other
  // query is read through its driver.
  void Read(QSqlQuery& query, int firstRows = std::numeric_limits<int>::max());
  // Reads up to that many more rows; false once the result is read whole.
  bool ReadMore(int rows);
  bool Pending() const { return source_ != Source::None; }
  // Drops every row and any rest unread.
  void Clear();

  int rowCount() const { return rows_; }
  int columnCount() const { return titles_.size(); }
  const QStringList& titles() const { return titles_; }
  // The cell as the driver would give it; invalid outside the result.
  QVariant value(int row, int column) const;

 private:
  struct Cell {
    enum Kind : quint8 { Null, Integer, Real, Text, Blob, Other };
    union {
      qint64 integer;
      double real;
      qint64 offset;  // of a text or blob in bytes_, or of a value in others_
    };
    qint32 size = 0;  // bytes of a text or blob
    Kind kind = Null;
  };
  static_assert(sizeof(Cell) == 16);

  enum class Source { None, Statement, Driver };
  bool startStatement();
  void readStatement(int rows);
  void readDriver(int rows);
  void finish();
  void clear();
  void release();
  Cell* appendRow();
  void setBytes(Cell& cell, Cell::Kind kind, const void* bytes, int size);

  QStringList titles_;
  int rows_ = 0;
  QVector<Cell> cells_;     // row after row
  QByteArray bytes_;        // the texts and blobs of every cell, end to end
  qsizetype used_ = 0;      // bytes of bytes_ in use; the rest is room to grow
  QVector<QVariant> others_;  // other drivers' values of other types
  QSqlQuery query_;           // the result while rows of it wait
  Source source_ = Source::None;
  sqlite3_stmt* statement_ = nullptr;
  bool onRow_ = false;  // the statement stands on a row not yet read
};

// A result left partly read keeps its statement open on its connection.
// Before that connection runs a statement that would disturb it (on
// SQLite anything but a query: a write, a dropped table, a rollback; on
// PostgreSQL, whose driver streams one result at a time, any statement)
// the rest is read whole. Empty sql: a transaction or the connection's
// end, which every pending read must precede.
void FinishPendingReads(const QSqlDriver* connection, const QString& sql = QString());
// A reader registers how to finish its pending read, by the key it later
// withdraws it with.
void AddPendingRead(const void* key, const QSqlDriver* connection, std::function<void()> finish);
void RemovePendingRead(const void* key);
