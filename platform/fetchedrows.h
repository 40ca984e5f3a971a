#pragma once
// The rows of a result, held compactly: the cells row after row, the text of
// every cell end to end, a block of rows at a time, so that a year of lines
// is a few allocations rather than one per row and one per text. A cell
// becomes a QVariant only when asked for. Only the blocks last asked for
// stay in memory; the others wait in a file of the program's own that has
// no name (so nothing else can open it, and it is gone with the program),
// and come back when a row of theirs is asked for: the memory a long list
// takes follows what the clerk looks at, not the length of the list.
#include <QByteArray>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QMetaType>
#include <functional>
#include <limits>
#include <memory>

struct sqlite3_stmt;
class QSqlDriver;

// A result whose current row's cells come as the text a server sends, which
// the rows keep without a QVariant each (a server's stream: db/serverstream).
// Its handle() holds a pointer to it. Each column says how its text is
// kept, exactly as the result's own value() would give it; Other, and any
// text that is not in the plain form, is read through value().
class TextRow {
 public:
  enum Kind { Text, Int32, Real, Date, Bool, Other };
  struct Column {
    Kind kind = Other;
    int nullType = 0;  // the type of the column's null
  };
  virtual const QVector<Column>& Columns() const = 0;
  // The current row's cell: null, or its text and length.
  virtual bool CellIsNull(int column) const = 0;
  virtual const char* CellText(int column, int& length) const = 0;

 protected:
  ~TextRow() = default;
};
Q_DECLARE_METATYPE(TextRow*)

class FetchedRows {
 public:
  FetchedRows() = default;
  ~FetchedRows();
  FetchedRows(const FetchedRows&) = delete;
  FetchedRows& operator=(const FetchedRows&) = delete;

  // Reads the first rows of an executed query in place of the rows held;
  // the rest wait for ReadMore. The query is taken over (the caller's is
  // left inactive) and finished after its last row. A query over an SQLite
  // store is read straight from its statement, with the value types Qt's
  // driver gives (integers, doubles, texts, blobs, nulls as null texts); any
  // other query is read through its driver. A fetch that fails ends the
  // reading with the rows read so far kept and the error noted (Broken):
  // read whole (the default), it raises the error (RaiseIfBroken).
  void Read(QSqlQuery& query, int firstRows = std::numeric_limits<int>::max());
  // Reads up to that many more rows; false once the result is read whole
  // or its reading broke.
  bool ReadMore(int rows);
  bool Pending() const { return source_ != Source::None; }
  // Whether a fetch failed before the last row: the rows held are only the
  // first of the result.
  bool Broken() const { return failure_.isValid(); }
  const QSqlError& Failure() const { return failure_; }
  // Raises the failure as the store's error (SetReadFailureRaiser), so that
  // nothing is printed, exported or totalled from a list read in part.
  void RaiseIfBroken() const;
  // Drops every row and any rest unread.
  void Clear();

  int rowCount() const { return rows_; }
  int columnCount() const { return titles_.size(); }
  const QStringList& titles() const { return titles_; }
  // The cell as the driver would give it; invalid outside the result.
  QVariant value(int row, int column) const;
  // Bytes of rows held in memory, and of rows put away in the file.
  qint64 HeldBytes() const;
  qint64 PutAwayBytes() const { return fileEnd_; }

  // Rows a block holds, and blocks kept in memory at the most: a few
  // screens either side of the one shown.
  static constexpr int kBlockRows = 512;
  static constexpr int kHeldBlocks = 8;

 private:
  struct Cell {
    enum Kind : quint8 { Null, Integer, Int32, Bool, Real, Text, Blob, Date, DateTime, Other };
    union {
      qint64 integer;
      double real;
      qint64 offset;  // of a text, blob or streamed value in its block's bytes
    };
    qint32 size = 0;  // bytes of a text, blob or streamed value; a time's zone
    Kind kind = Null;
  };
  static_assert(sizeof(Cell) == 16);

  // Rows [first, first + rows) of the result. A full block never changes,
  // so once written it is written for good and may leave memory.
  struct Block {
    QVector<Cell> cells;  // row after row
    QByteArray bytes;     // the texts and blobs of its cells, end to end
    qsizetype used = 0;   // bytes of bytes in use; the rest is room to grow
    int rows = 0;
    bool held = true;
    qint64 at = -1;  // where it lies in the file, once written
    quint64 lastUse = 0;
  };

  enum class Source { None, Statement, Driver };

  bool startStatement();
  void readStatement(int rows);
  void readDriver(int rows);
  bool setText(Cell& cell, Block& block, TextRow::Kind kind, const char* text, int length);
  void setDriverValue(Cell& cell, Block& block, const QVariant& value);
  void finish();
  void clear();
  Cell* appendRow();
  void setBytes(Block& block, Cell& cell, Cell::Kind kind, const void* bytes, int size);
  const Block& blockOf(int row) const;
  void makeRoom(int keep) const;
  bool putAway(Block& block) const;
  bool bringBack(Block& block) const;

  QStringList titles_;
  int rows_ = 0;
  mutable QVector<Block> blocks_;
  mutable int held_ = 0;        // blocks in memory
  mutable quint64 clock_ = 0;   // for the block used longest ago
  mutable int file_ = -1;       // the unnamed file, opened when first needed
  mutable qint64 fileEnd_ = 0;
  QSqlQuery query_;  // the result while rows of it wait
  Source source_ = Source::None;
  sqlite3_stmt* statement_ = nullptr;
  const TextRow* textRow_ = nullptr;
  bool onRow_ = false;  // the statement stands on a row not yet read
  QSqlError failure_;
};

// What the store puts around the fetching of a connection's rows (its
// watch over the statement under way: a server that stops answering part
// way is given up on in time); held while rows are fetched.
void SetFetchWatch(std::function<std::shared_ptr<void>(const QSqlDriver*)> watch);
// What the store does with a query once its rows are read or dropped,
// before the query is finished (on SQLite, ends its statement and keeps it
// prepared for the next run of its text).
void SetReadEnd(std::function<void(QSqlQuery&)> end);
// How a list read in part raises its error (as the store's error type).
void SetReadFailureRaiser(std::function<void(const QSqlError&)> raise);
// After a query's last row: raises its error when a fetch failed, which
// ended the rows early.
void RaiseIfFetchFailed(const QSqlQuery& query);

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
