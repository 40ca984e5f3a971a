#include "platform/fetchedrows.h"

#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <algorithm>
#include <cstring>

void FetchedRows::Read(QSqlQuery& query, int firstRows) {
  finish();
  clear();
  const QSqlRecord record = query.record();
  for (int c = 0; c < record.count(); ++c) titles_ << record.fieldName(c);
  // The rest of the result is read after the caller's query is gone.
  query_.swap(query);
  source_ = startStatement() ? Source::Statement : Source::Driver;
  ReadMore(firstRows);
}

bool FetchedRows::ReadMore(int rows) {
  switch (source_) {
    case Source::Statement: readStatement(rows); break;
    case Source::Driver: readDriver(rows); break;
    case Source::None: break;
  }
  return Pending();
}

void FetchedRows::Clear() {
  finish();
  clear();
  release();
}

// Releases the statement (and, on SQLite, the read snapshot it holds).
void FetchedRows::finish() {
  if (source_ == Source::None) return;
  query_.finish();
  query_ = QSqlQuery();
  source_ = Source::None;
  statement_ = nullptr;
  onRow_ = false;
  release();
}

// Empties the rows but keeps their room: the next result of the same size
// then costs no allocation and touches no fresh page.
void FetchedRows::clear() {
  titles_.clear();
  rows_ = 0;
  cells_.clear();
  used_ = 0;
  others_.clear();
}

// A small result after a large one gives the room back rather than hold it
// for as long as the window stays open.
void FetchedRows::release() {
  if (cells_.capacity() > 4 * cells_.size() + 4096) cells_.squeeze();
  if (bytes_.size() > 4 * used_ + (64 << 10)) {
    bytes_.resize(used_);
    bytes_.squeeze();
  }
}

QVariant FetchedRows::value(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columnCount()) return QVariant();
  const Cell& cell = cells_[qsizetype(row) * columnCount() + column];
  switch (cell.kind) {
    case Cell::Null: return QVariant(QMetaType(int(cell.integer)));
    case Cell::Integer: return QVariant(qlonglong(cell.integer));
    case Cell::Real: return QVariant(cell.real);
    case Cell::Text: return QString::fromUtf8(bytes_.constData() + cell.offset, cell.size);
    case Cell::Blob: return QByteArray(bytes_.constData() + cell.offset, cell.size);
    case Cell::Other: return others_[cell.offset];
  }
  return QVariant();
}

// Room for one more row, its cells written in place.
FetchedRows::Cell* FetchedRows::appendRow() {
  const qsizetype at = cells_.size();
  cells_.resize(at + columnCount());
  ++rows_;
  return cells_.data() + at;
}

void FetchedRows::setBytes(Cell& cell, Cell::Kind kind, const void* bytes, int size) {
  if (bytes_.size() - used_ < size) bytes_.resize(std::max(2 * bytes_.size(), used_ + size + (64 << 10)));
  if (size > 0) std::memcpy(bytes_.data() + used_, bytes, size);
  cell.offset = used_;
  cell.size = size;
  cell.kind = kind;
  used_ += size;
}

// Qt's SQLite driver turns every cell of every row into a QVariant, and its
// texts into UTF-16, before anyone asks for them; reading the statement it
// runs keeps the texts as the store holds them until a cell is shown.
bool FetchedRows::startStatement() {
  const QSqlDriver* driver = query_.driver();
  if (!driver || driver->dbmsType() != QSqlDriver::SQLite || !query_.isActive() || !query_.isSelect() ||
      query_.at() != QSql::BeforeFirstRow)
    return false;
  // Other policies make the driver turn reals into integers.
  const QSql::NumericalPrecisionPolicy precision = query_.numericalPrecisionPolicy();
  if (precision != QSql::LowPrecisionDouble && precision != QSql::HighPrecision) return false;
  const QVariant handle = query_.result()->handle();
  if (qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0) return false;
  statement_ = *static_cast<sqlite3_stmt* const*>(handle.constData());
  if (!statement_ || sqlite3_column_count(statement_) != columnCount()) return false;
  // The driver steps once when it runs the statement and keeps that row;
  // once it has handed it over the statement still stands on it.
  onRow_ = query_.next();
  return true;
}

// Each column's value is read at once, on the thread that owns the
// connection, which is all the C interface asks of a value taken this way.
void FetchedRows::readStatement(int rows) {
  const int columns = columnCount();
  for (int read = 0; read < rows && onRow_; ++read) {
    Cell* cell = appendRow();
    for (int c = 0; c < columns; ++c, ++cell) {
      sqlite3_value* value = sqlite3_column_value(statement_, c);
      switch (sqlite3_value_type(value)) {
        case SQLITE_INTEGER:
          cell->integer = sqlite3_value_int64(value);
          cell->kind = Cell::Integer;
          break;
        case SQLITE_FLOAT:
          cell->real = sqlite3_value_double(value);
          cell->kind = Cell::Real;
          break;
        case SQLITE_NULL:
          cell->integer = QMetaType::QString;
          cell->kind = Cell::Null;
          break;
        case SQLITE_BLOB: {
          const void* blob = sqlite3_value_blob(value);
          setBytes(*cell, Cell::Blob, blob, sqlite3_value_bytes(value));
          break;
        }
        default: {
          const unsigned char* text = sqlite3_value_text(value);
          setBytes(*cell, Cell::Text, text, sqlite3_value_bytes(value));
          break;
        }
      }
    }
    // A failing step ends the rows, as it ends the driver's own reading.
    onRow_ = sqlite3_step(statement_) == SQLITE_ROW;
  }
  if (!onRow_) finish();
}

void FetchedRows::readDriver(int rows) {
  const int columns = columnCount();
  for (int read = 0; read < rows; ++read) {
    if (!query_.next()) {
      finish();
      break;
    }
    Cell* cell = appendRow();
    for (int c = 0; c < columns; ++c, ++cell) {
      const QVariant value = query_.value(c);
      if (value.isNull()) {
        cell->integer = value.typeId();
        cell->kind = Cell::Null;
      } else if (value.typeId() == QMetaType::Double) {
        cell->real = value.toDouble();
        cell->kind = Cell::Real;
      } else if (value.typeId() == QMetaType::LongLong) {
        cell->integer = value.toLongLong();
        cell->kind = Cell::Integer;
      } else if (value.typeId() == QMetaType::QString) {
        const QByteArray text = value.toString().toUtf8();
        setBytes(*cell, Cell::Text, text.constData(), text.size());
      } else {
        cell->offset = others_.size();
        cell->kind = Cell::Other;
        others_.append(value);
      }
    }
  }
}

namespace {
struct PendingRead {
  const void* key;
  const QSqlDriver* connection;
  std::function<void()> finish;
};
// The user-interface thread alone opens grids and runs their statements.
QList<PendingRead>& PendingReads() {
  static QList<PendingRead> reads;
  return reads;
}
}  // namespace

void AddPendingRead(const void* key, const QSqlDriver* connection, std::function<void()> finish) {
  RemovePendingRead(key);
  PendingReads().append({key, connection, std::move(finish)});
}

void RemovePendingRead(const void* key) {
  PendingReads().removeIf([key](const PendingRead& read) { return read.key == key; });
}

void FinishPendingReads(const QSqlDriver* connection, const QString& sql) {
  if (PendingReads().isEmpty() || !connection) return;
  // Further queries on SQLite read beside the open statement unharmed.
  if (connection->dbmsType() == QSqlDriver::SQLite && sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive)) return;
  QList<std::function<void()>> finishing;
  for (const PendingRead& read : PendingReads())
    if (read.connection == connection) finishing << read.finish;
  for (const auto& finish : finishing) finish();
}
