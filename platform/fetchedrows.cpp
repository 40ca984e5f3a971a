#include "platform/fetchedrows.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {
// A file of this program's own without a name: no other program or dialog
// can open it, and it is gone when the program ends, however it ends.
int OpenUnnamedFile() {
  const QByteArray folder = QFile::encodeName(QDir::tempPath());
  int file = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (file >= 0) return file;
  // A file system without unnamed files: a name for as long as it takes to
  // open it.
  QByteArray name = folder + "/brimwick-rows-XXXXXX";
  file = ::mkostemp(name.data(), O_CLOEXEC);
  if (file >= 0) ::unlink(name.constData());
  return file;
}

// The whole of a transfer at an offset, however many calls it takes.
template <typename Transfer, typename Byte>
bool WholeAt(Transfer transfer, int file, qint64 at, Byte* data, qint64 size) {
  while (size > 0) {
    const ssize_t done = transfer(file, data, size_t(size), off_t(at));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    data += done, at += done, size -= done;
  }
  return true;
}
}  // namespace

namespace {
std::function<std::shared_ptr<void>(const QSqlDriver*)>& FetchWatch() {
  static std::function<std::shared_ptr<void>(const QSqlDriver*)> watch;
  return watch;
}
std::function<void(QSqlQuery&)>& ReadEnd() {
  static std::function<void(QSqlQuery&)> end;
  return end;
}
std::function<void(const QSqlError&)>& ReadFailureRaiser() {
  static std::function<void(const QSqlError&)> raise;
  return raise;
}
}  // namespace

void SetFetchWatch(std::function<std::shared_ptr<void>(const QSqlDriver*)> watch) { FetchWatch() = std::move(watch); }
void SetReadEnd(std::function<void(QSqlQuery&)> end) { ReadEnd() = std::move(end); }
void SetReadFailureRaiser(std::function<void(const QSqlError&)> raise) { ReadFailureRaiser() = std::move(raise); }

void RaiseIfFetchFailed(const QSqlQuery& query) {
  const QSqlError error = query.lastError();
  if (!error.isValid()) return;
  if (ReadFailureRaiser()) ReadFailureRaiser()(error);
  throw std::runtime_error(error.text().toStdString());
}

void FetchedRows::RaiseIfBroken() const {
  if (!Broken()) return;
  if (ReadFailureRaiser()) ReadFailureRaiser()(failure_);
  throw std::runtime_error(failure_.text().toStdString());
}

FetchedRows::~FetchedRows() {
  if (file_ >= 0) ::close(file_);
}

void FetchedRows::Read(QSqlQuery& query, int firstRows) {
  finish();
  clear();
  const QSqlRecord record = query.record();
  for (int c = 0; c < record.count(); ++c) titles_ << record.fieldName(c);
  // The rest of the result is read after the caller's query is gone.
  query_.swap(query);
  const QVariant handle = query_.result() ? query_.result()->handle() : QVariant();
  textRow_ = handle.canConvert<TextRow*>() ? handle.value<TextRow*>() : nullptr;
  source_ = startStatement() ? Source::Statement : Source::Driver;
  ReadMore(firstRows);
  if (firstRows == std::numeric_limits<int>::max()) RaiseIfBroken();
}

bool FetchedRows::ReadMore(int rows) {
  if (source_ == Source::None) return false;
  const std::shared_ptr<void> watch = FetchWatch() ? FetchWatch()(query_.driver()) : nullptr;
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
}

// Releases the statement (and, on SQLite, the read snapshot it holds).
void FetchedRows::finish() {
  if (source_ == Source::None) return;
  if (ReadEnd()) ReadEnd()(query_);
  query_.finish();
  query_ = QSqlQuery();
  source_ = Source::None;
  statement_ = nullptr;
  textRow_ = nullptr;
  onRow_ = false;
}

void FetchedRows::clear() {
  failure_ = QSqlError();
  titles_.clear();
  rows_ = 0;
  blocks_.clear();
  held_ = 0;
  if (fileEnd_ > 0 && ::ftruncate(file_, 0) != 0) {
    // The old rows stay in the file until it closes; the next are written after them.
    return;
  }
  fileEnd_ = 0;
}

qint64 FetchedRows::HeldBytes() const {
  qint64 bytes = 0;
  for (const Block& block : blocks_)
    if (block.held) bytes += block.cells.capacity() * qint64(sizeof(Cell)) + block.bytes.capacity();
  return bytes;
}

// The block of a row, in memory.
const FetchedRows::Block& FetchedRows::blockOf(int row) const {
  Block& block = blocks_[row / kBlockRows];
  block.lastUse = ++clock_;
  if (!block.held) {
    makeRoom(1);
    if (!bringBack(block)) qWarning("a list's rows could not be read back from their file");
  }
  return block;
}

// Puts away the blocks used longest ago until `keep` more fit. The block
// still being filled stays; a block the file will not take stays too, so
// rows are never lost to a full disk, only memory spent.
void FetchedRows::makeRoom(int keep) const {
  while (held_ + keep > kHeldBlocks) {
    Block* oldest = nullptr;
    for (Block& block : blocks_) {
      const bool filling = &block == &blocks_.last() && Pending() && block.rows < kBlockRows;
      if (block.held && !filling && (!oldest || block.lastUse < oldest->lastUse)) oldest = &block;
    }
    if (!oldest || !putAway(*oldest)) return;
  }
}

bool FetchedRows::putAway(Block& block) const {
  if (block.at < 0) {
    if (file_ < 0) file_ = OpenUnnamedFile();
    const qint64 cellBytes = block.cells.size() * qint64(sizeof(Cell));
    const char* cells = reinterpret_cast<const char*>(block.cells.constData());
    if (file_ < 0 || !WholeAt(::pwrite, file_, fileEnd_, cells, cellBytes) ||
        !WholeAt(::pwrite, file_, fileEnd_ + cellBytes, block.bytes.constData(), block.used))
      return false;
    block.at = fileEnd_;
    fileEnd_ += cellBytes + block.used;
  }
  block.cells = QVector<Cell>();
  block.bytes = QByteArray();
  block.held = false;
  --held_;
  return true;
}

bool FetchedRows::bringBack(Block& block) const {
  const qsizetype cellCount = qsizetype(block.rows) * columnCount();
  block.cells.resize(cellCount);
  block.bytes.resize(block.used);
  const qint64 cellBytes = cellCount * qint64(sizeof(Cell));
  const bool read = WholeAt(::pread, file_, block.at, reinterpret_cast<char*>(block.cells.data()), cellBytes) &&
                    WholeAt(::pread, file_, block.at + cellBytes, block.bytes.data(), block.used);
  // Cells that could not be read show blank rather than as something else.
  if (!read) block.cells.fill(Cell());
  block.held = true;
  ++held_;
  return read;
}

QVariant FetchedRows::value(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columnCount()) return QVariant();
  const Block& block = blockOf(row);
  const Cell& cell = block.cells[qsizetype(row % kBlockRows) * columnCount() + column];
  const char* bytes = block.bytes.constData() + cell.offset;
  switch (cell.kind) {
    case Cell::Null: return QVariant(QMetaType(int(cell.integer)));
    case Cell::Integer: return QVariant(qlonglong(cell.integer));
    case Cell::Int32: return QVariant(int(cell.integer));
    case Cell::Bool: return QVariant(cell.integer != 0);
    case Cell::Real: return QVariant(cell.real);
    case Cell::Date: return QVariant(QDate::fromJulianDay(cell.integer));
    case Cell::DateTime:
      return QVariant(QDateTime::fromMSecsSinceEpoch(cell.integer, Qt::TimeSpec(cell.size)));
    case Cell::Text: return QString::fromUtf8(bytes, cell.size);
    case Cell::Blob: return QByteArray(bytes, cell.size);
    case Cell::Other: {
      QDataStream in(QByteArray::fromRawData(bytes, cell.size));
      in.setVersion(QDataStream::Qt_6_0);
      QVariant value;
      in >> value;
      return value;
    }
  }
  return QVariant();
}

// Room for one more row at the end, its cells written in place.
FetchedRows::Cell* FetchedRows::appendRow() {
  if (blocks_.isEmpty() || blocks_.last().rows == kBlockRows) {
    makeRoom(1);
    Block block;
    block.cells.reserve(qsizetype(kBlockRows) * columnCount());
    block.lastUse = ++clock_;
    blocks_.append(std::move(block));
    ++held_;
  }
  Block& block = blocks_.last();
  const qsizetype at = block.cells.size();
  block.cells.resize(at + columnCount());
  ++block.rows;
  ++rows_;
  return block.cells.data() + at;
}

void FetchedRows::setBytes(Block& block, Cell& cell, Cell::Kind kind, const void* bytes, int size) {
  if (block.bytes.size() - block.used < size)
    block.bytes.resize(std::max(2 * block.bytes.size(), block.used + size + (16 << 10)));
  if (size > 0) std::memcpy(block.bytes.data() + block.used, bytes, size);
  cell.offset = block.used;
  cell.size = size;
  cell.kind = kind;
  block.used += size;
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
    Block& block = blocks_.last();
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
          setBytes(block, *cell, Cell::Blob, blob, sqlite3_value_bytes(value));
          break;
        }
        default: {
          const unsigned char* text = sqlite3_value_text(value);
          setBytes(block, *cell, Cell::Text, text, sqlite3_value_bytes(value));
          break;
        }
      }
    }
    const int step = sqlite3_step(statement_);
    onRow_ = step == SQLITE_ROW;
    // A failing step ends the rows and says why: never the end of them.
    if (!onRow_ && step != SQLITE_DONE) {
      sqlite3* connection = sqlite3_db_handle(statement_);
      failure_ = QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(connection)),
                           QSqlError::StatementError, QString::number(sqlite3_extended_errcode(connection) & 0xff));
    }
  }
  if (!onRow_) finish();
}

// Through the driver, or, for a server's rows, each cell kept from the
// text it came as; what is not in the plain form the column's kind expects
// goes through the driver's value.
void FetchedRows::readDriver(int rows) {
  const int columns = columnCount();
  const QVector<TextRow::Column> kinds = textRow_ ? textRow_->Columns() : QVector<TextRow::Column>();
  for (int read = 0; read < rows; ++read) {
    if (!query_.next()) {
      // A fetch that fails (a broken connection, a statement timed out while
      // its rows came in) is no end of the rows.
      if (query_.lastError().isValid()) failure_ = query_.lastError();
      finish();
      break;
    }
    Cell* cell = appendRow();
    Block& block = blocks_.last();
    for (int c = 0; c < columns; ++c, ++cell) {
      const TextRow::Column kind = kinds.value(c);
      if (kind.kind != TextRow::Other && textRow_->CellIsNull(c)) {
        cell->integer = kind.nullType;
        cell->kind = Cell::Null;
        continue;
      }
      int length = 0;
      const char* text = kind.kind == TextRow::Other ? nullptr : textRow_->CellText(c, length);
      if (!text || !setText(*cell, block, kind.kind, text, length)) setDriverValue(*cell, block, query_.value(c));
    }
  }
}

bool FetchedRows::setText(Cell& cell, Block& block, TextRow::Kind kind, const char* text, int length) {
  switch (kind) {
    case TextRow::Text:
      setBytes(block, cell, Cell::Text, text, length);
      return true;
    case TextRow::Bool:
      cell.integer = text[0] == 't';
      cell.kind = Cell::Bool;
      return true;
    case TextRow::Int32: {
      bool read = false;
      cell.integer = QByteArray::fromRawData(text, length).toInt(&read);
      cell.kind = Cell::Int32;
      return read;
    }
    case TextRow::Real: {
      bool read = false;
      cell.real = QByteArray::fromRawData(text, length).toDouble(&read);
      cell.kind = Cell::Real;
      return read;
    }
    case TextRow::Date: {
      // The server's own form, 2024-02-29; any other (a year past 9999, a
      // day before the era) as the driver reads it.
      const auto digits = [text](int at, int count) {
        int n = 0;
        for (int i = at; i < at + count; ++i) {
          if (text[i] < '0' || text[i] > '9') return -1;
          n = n * 10 + (text[i] - '0');
        }
        return n;
      };
      if (length != 10 || text[4] != '-' || text[7] != '-') return false;
      const QDate day(digits(0, 4), digits(5, 2), digits(8, 2));
      if (!day.isValid()) return false;
      cell.integer = day.toJulianDay();
      cell.kind = Cell::Date;
      return true;
    }
    case TextRow::Other:
      break;
  }
  return false;
}

void FetchedRows::setDriverValue(Cell& cell, Block& block, const QVariant& value) {
  if (value.isNull()) {
    cell.integer = value.typeId();
    cell.kind = Cell::Null;
    return;
  }
  switch (value.typeId()) {
    case QMetaType::Double:
      cell.real = value.toDouble();
      cell.kind = Cell::Real;
      return;
    case QMetaType::LongLong:
      cell.integer = value.toLongLong();
      cell.kind = Cell::Integer;
      return;
    case QMetaType::Int:
      cell.integer = value.toInt();
      cell.kind = Cell::Int32;
      return;
    case QMetaType::Bool:
      cell.integer = value.toBool();
      cell.kind = Cell::Bool;
      return;
    case QMetaType::QString: {
      const QByteArray text = value.toString().toUtf8();
      setBytes(block, cell, Cell::Text, text.constData(), text.size());
      return;
    }
    case QMetaType::QDate:
      if (value.toDate().isValid()) {
        cell.integer = value.toDate().toJulianDay();
        cell.kind = Cell::Date;
        return;
      }
      break;
    case QMetaType::QDateTime: {
      const QDateTime time = value.toDateTime();
      if (time.isValid() && (time.timeSpec() == Qt::UTC || time.timeSpec() == Qt::LocalTime)) {
        cell.integer = time.toMSecsSinceEpoch();
        cell.size = time.timeSpec();
        cell.kind = Cell::DateTime;
        return;
      }
      break;
    }
    default:
      break;
  }
  // Anything else keeps its type, streamed.
  QByteArray streamed;
  QDataStream out(&streamed, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << value;
  setBytes(block, cell, Cell::Other, streamed.constData(), streamed.size());
}

namespace {
struct PendingRead {
  const void* key;
  const QSqlDriver* connection;
  std::function<void()> finish;
};
// A connection is used by the thread that opened it: each thread keeps
// the pending reads of its own.
QList<PendingRead>& PendingReads() {
  thread_local QList<PendingRead> reads;
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
  // The latest first: a grid reading a server's stream takes the rest of
  // its rows from it before the stream would keep them for it.
  QList<std::function<void()>> finishing;
  for (const PendingRead& read : PendingReads())
    if (read.connection == connection) finishing.prepend(read.finish);
  for (const auto& finish : finishing) finish();
}
