#include "db/serverstream.h"

#include <libpq-fe.h>

#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTime>
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <vector>

#include "platform/fetchedrows.h"

pg_conn* ServerConnection(const QSqlDriver* driver) {
  if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL || !driver->isOpen()) return nullptr;
  const QVariant handle = driver->handle();
  // The driver hands out its connection under the name of libpq's struct.
  if (!handle.isValid() || (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
    return nullptr;
  return *static_cast<PGconn* const*>(handle.constData());
}

bool ServerConnectionIdle(const QSqlDriver* driver) {
  PGconn* connection = ServerConnection(driver);
  return connection && PQstatus(connection) == CONNECTION_OK && PQtransactionStatus(connection) != PQTRANS_ACTIVE;
}

namespace {
// The server's type numbers the driver tells apart.
enum : Oid {
  kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kRegproc = 24, kOid = 26, kXid = 28, kCid = 29,
  kFloat4 = 700, kFloat8 = 701, kDate = 1082, kTime = 1083, kTimestamp = 1114, kTimestampTz = 1184,
  kTimeTz = 1266, kNumeric = 1700,
};

// A column's type as the driver gives it, so that a streamed read and the
// driver's own are read alike.
QMetaType TypeOf(Oid type) {
  switch (type) {
    case kBool: return QMetaType(QMetaType::Bool);
    case kInt8: return QMetaType(QMetaType::LongLong);
    case kInt2: case kInt4: case kOid: case kRegproc: case kXid: case kCid: return QMetaType(QMetaType::Int);
    case kNumeric: case kFloat4: case kFloat8: return QMetaType(QMetaType::Double);
    case kDate: return QMetaType(QMetaType::QDate);
    case kTime: case kTimeTz: return QMetaType(QMetaType::QTime);
    case kTimestamp: case kTimestampTz: return QMetaType(QMetaType::QDateTime);
    case kBytea: return QMetaType(QMetaType::QByteArray);
    default: return QMetaType(QMetaType::QString);
  }
}

// The error as the driver words it: the server's message, its SQLSTATE
// after it, the code apart for telling failures apart.
QSqlError ServerError(const QString& step, PGconn* connection, const PGresult* result) {
  QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : "");
  if (message.isEmpty() && connection) message = QString::fromUtf8(PQerrorMessage(connection));
  const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const QString code = state ? QString::fromLatin1(state) : QString();
  if (!code.isEmpty()) message += QStringLiteral("(%1)").arg(code);
  return QSqlError(QStringLiteral("QPSQL: ") + step, message, QSqlError::StatementError, code);
}

// A value as the server reads a parameter: text, but for bytes. Days come
// as the store's own text (BoundValue).
struct Parameter {
  QByteArray bytes;
  bool null = false;
  bool binary = false;
};

Parameter ParameterOf(const QVariant& value) {
  if (value.isNull()) return {{}, true, false};
  switch (value.typeId()) {
    case QMetaType::Bool: return {value.toBool() ? "true" : "false"};
    case QMetaType::QByteArray: return {value.toByteArray(), false, true};
    case QMetaType::Double:
    case QMetaType::Float: {
      const double number = value.toDouble();
      if (std::isnan(number)) return {"NaN"};
      if (std::isinf(number)) return {number > 0 ? "Infinity" : "-Infinity"};
      return {QByteArray::number(number, 'g', QLocale::FloatingPointShortest)};
    }
    default: return {value.toString().toUtf8()};
  }
}

class ServerStream;
// The streams not yet ended, of this thread's connections (a connection
// is used by the thread that opened it).
thread_local std::vector<ServerStream*> live;

class ServerStream final : public QSqlResult, public TextRow {
 public:
  explicit ServerStream(const QSqlDriver* driver) : QSqlResult(driver) {
    QSqlResult::setForwardOnly(true);
    live.push_back(this);
  }
  ~ServerStream() override {
    end();
    clearRows();
    std::erase(live, this);
  }

  bool Start(PGconn* connection, const QString& sql, const QByteArray& name, const QString& toPrepare,
             const QVariantList& values, bool* prepared);

  bool Reads(const QSqlDriver* connection) const { return driver() == connection; }

  // The connection is closing: nothing more is read from it.
  void Drop() {
    if (!connection_) return;
    connection_ = nullptr;
    lost_ = true;
    RemovePendingRead(this);
  }

 protected:
  QVariant data(int column) override;
  bool isNull(int column) override {
    return !rows_ || column < 0 || column >= PQnfields(rows_) || PQgetisnull(rows_, index_, column);
  }
  bool reset(const QString&) override {
    setLastError(QSqlError(QStringLiteral("QPSQL: a streamed read runs once"), QString(), QSqlError::StatementError));
    return false;
  }
  bool fetch(int row) override { return row == at() + 1 && fetchNext(); }
  bool fetchFirst() override { return at() == QSql::BeforeFirstRow && fetchNext(); }
  bool fetchNext() override;
  bool fetchLast() override;
  int size() override { return -1; }
  int numRowsAffected() override { return -1; }
  QSqlRecord record() const override { return record_; }
  // The rows read the cells' text themselves (FetchedRows).
  QVariant handle() const override { return QVariant::fromValue<TextRow*>(const_cast<ServerStream*>(this)); }
  const QVector<Column>& Columns() const override;
  bool CellIsNull(int column) const override { return PQgetisnull(rows_, index_, column); }
  const char* CellText(int column, int& length) const override {
    length = PQgetlength(rows_, index_, column);
    return PQgetvalue(rows_, index_, column);
  }
  void detachFromResultSet() override {
    end();
    clearRows();
  }

 private:
  PGresult* next();
  void readAhead();
  void end();
  bool fail(const QSqlError& error) {
    setLastError(error);
    done_ = true;
    end();
    return false;
  }
  void clearRows() {
    PQclear(rows_);
    rows_ = nullptr;
    index_ = 0;
  }

  PGconn* connection_ = nullptr;  // while more of the stream may come
  std::deque<PGresult*> ahead_;   // results read ahead of the caller
  PGresult* rows_ = nullptr;      // the result holding the current row
  int index_ = 0;                 // the current row in it
  bool done_ = false;             // the stream's end, or its failure, reached
  bool lost_ = false;             // the connection closed under the stream
  QSqlRecord record_;
  mutable QVector<Column> columns_;
};

bool ServerStream::Start(PGconn* connection, const QString& sql, const QByteArray& name, const QString& toPrepare,
                         const QVariantList& values, bool* prepared) {
  setQuery(sql);
  setSelect(true);
  if (!connection) {
    setLastError(QSqlError(QStringLiteral("QPSQL: Unable to send query"), QStringLiteral("no connection to the server"),
                           QSqlError::ConnectionError));
    return false;
  }
  if (!name.isEmpty() && !toPrepare.isEmpty()) {
    PGresult* made = PQprepare(connection, name.constData(), toPrepare.toUtf8().constData(), 0, nullptr);
    const bool madeIt = PQresultStatus(made) == PGRES_COMMAND_OK;
    if (!madeIt) setLastError(ServerError(QStringLiteral("Unable to prepare statement"), connection, made));
    PQclear(made);
    if (!madeIt) return false;
    if (prepared) *prepared = true;
  }
  std::vector<Parameter> parameters;
  parameters.reserve(values.size());
  for (const QVariant& value : values) parameters.push_back(ParameterOf(value));
  std::vector<const char*> texts;
  std::vector<int> lengths, formats;
  for (const Parameter& p : parameters) {
    texts.push_back(p.null ? nullptr : p.bytes.constData());
    lengths.push_back(int(p.bytes.size()));
    formats.push_back(p.binary ? 1 : 0);
  }
  const bool sent =
      name.isEmpty()
          ? PQsendQueryParams(connection, toPrepare.toUtf8().constData(), int(parameters.size()), nullptr, texts.data(),
                              lengths.data(), formats.data(), 0)
          : PQsendQueryPrepared(connection, name.constData(), int(parameters.size()), texts.data(), lengths.data(),
                                formats.data(), 0);
  if (!sent) {
    setLastError(ServerError(QStringLiteral("Unable to send query"), connection, nullptr));
    return false;
  }
  // Refused only right after another statement's send, which is none here.
  PQsetSingleRowMode(connection);
  connection_ = connection;
  // The first result (a row, or the end) carries the columns, and the
  // failures the server finds before any row.
  PGresult* first = next();
  const ExecStatusType status = first ? PQresultStatus(first) : PGRES_FATAL_ERROR;
  if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
    setLastError(ServerError(QStringLiteral("Unable to create query"), connection, first));
    PQclear(first);
    end();
    return false;
  }
  for (int c = 0; c < PQnfields(first); ++c) {
    QSqlField field(QString::fromUtf8(PQfname(first, c)), TypeOf(PQftype(first, c)));
    field.setSqlType(int(PQftype(first, c)));
    record_.append(field);
  }
  ahead_.push_front(first);
  setActive(true);
  if (connection_) AddPendingRead(this, driver(), [this] { readAhead(); });
  return true;
}

// The next result of the stream, those read ahead first; null once none
// comes (its end read, or the connection gone).
PGresult* ServerStream::next() {
  if (!ahead_.empty()) {
    PGresult* result = ahead_.front();
    ahead_.pop_front();
    return result;
  }
  if (!connection_) return nullptr;
  // A connection closed and opened anew since (perhaps at the same
  // address) is another's: DropServerStreams ended this stream then.
  if (ServerConnection(driver()) != connection_) {
    Drop();
    return nullptr;
  }
  PGresult* result = PQgetResult(connection_);
  if (!result) {
    connection_ = nullptr;
    RemovePendingRead(this);
  }
  return result;
}

// Another statement is about to run on the connection: the rest of the
// stream is read now and kept for the caller.
void ServerStream::readAhead() {
  while (connection_ && ServerConnection(driver()) == connection_) {
    PGresult* result = PQgetResult(connection_);
    if (!result) break;
    ahead_.push_back(result);
  }
  connection_ = nullptr;
  RemovePendingRead(this);
}

// Reads the stream's remaining results off the connection, so that the
// connection is free for the next statement.
void ServerStream::end() {
  for (PGresult* result : ahead_) PQclear(result);
  ahead_.clear();
  if (connection_ && ServerConnection(driver()) == connection_)
    while (PGresult* result = PQgetResult(connection_)) PQclear(result);
  connection_ = nullptr;
  RemovePendingRead(this);
}

// Moves to the next row; false at the end, or on a failure, which is noted
// as the query's error and never taken for the end.
bool ServerStream::fetchNext() {
  if (rows_ && index_ + 1 < PQntuples(rows_)) {
    ++index_;
    setAt(at() + 1);
    return true;
  }
  clearRows();
  if (done_) return false;
  PGresult* result = next();
  if (!result)
    return fail(QSqlError(QStringLiteral("QPSQL: Unable to get result"),
                          lost_ ? QStringLiteral("no connection to the server: it closed before the last row")
                                : QStringLiteral("the rows stopped before the last: another statement took them"),
                          QSqlError::StatementError));
  const ExecStatusType status = PQresultStatus(result);
  if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
    const QSqlError error = ServerError(QStringLiteral("Unable to get result"), connection_, result);
    PQclear(result);
    return fail(error);
  }
  if (PQnfields(result) != record_.count()) {
    PQclear(result);
    return fail(QSqlError(QStringLiteral("QPSQL: Unable to get result"),
                          QStringLiteral("the rows of another statement came in the middle of the list"),
                          QSqlError::StatementError));
  }
  const bool last = status == PGRES_TUPLES_OK;
  if (PQntuples(result) == 0) {
    PQclear(result);
    done_ = last;
    if (last) end();
    return last ? false : fetchNext();
  }
  rows_ = result;
  index_ = 0;
  setAt(at() + 1);
  if (last) {
    // Rows that came whole end the stream with them.
    done_ = true;
    end();
  }
  return true;
}

bool ServerStream::fetchLast() {
  if (!fetchNext()) return false;
  for (;;) {
    if (index_ + 1 < PQntuples(rows_)) {
      setAt(at() + PQntuples(rows_) - 1 - index_);
      index_ = PQntuples(rows_) - 1;
    }
    PGresult* held = std::exchange(rows_, nullptr);
    const int heldIndex = index_, heldAt = at();
    if (fetchNext()) {
      PQclear(held);
      continue;
    }
    rows_ = held;
    index_ = heldIndex;
    setAt(heldAt);
    return !lastError().isValid();
  }
}

// How each column's text is kept, as data() would give it under the
// precision asked for now.
const QVector<TextRow::Column>& ServerStream::Columns() const {
  columns_.resize(record_.count());
  const bool numericAsDouble = numericalPrecisionPolicy() == QSql::LowPrecisionDouble;
  for (int c = 0; c < record_.count(); ++c) {
    const Oid type = Oid(record_.field(c).typeID());
    const QMetaType meta = TypeOf(type);
    Kind kind = Other;
    switch (meta.id()) {
      case QMetaType::Bool: kind = Bool; break;
      case QMetaType::Int: kind = Int32; break;
      case QMetaType::Double:
        kind = type != kNumeric || numericAsDouble ? Real
               : numericalPrecisionPolicy() == QSql::HighPrecision ? Text
                                                                  : Other;
        break;
      case QMetaType::QDate: kind = Date; break;
      case QMetaType::QString: kind = Text; break;
      default: break;
    }
    columns_[c] = {kind, meta.id()};
  }
  return columns_;
}

QVariant ServerStream::data(int column) {
  if (!rows_ || column < 0 || column >= PQnfields(rows_)) return QVariant();
  const Oid type = PQftype(rows_, column);
  const QMetaType meta = TypeOf(type);
  if (PQgetisnull(rows_, index_, column)) return QVariant(meta);
  const char* text = PQgetvalue(rows_, index_, column);
  const int length = PQgetlength(rows_, index_, column);
  const QByteArray bytes = QByteArray::fromRawData(text, length);
  switch (meta.id()) {
    case QMetaType::Bool: return text[0] == 't';
    // Unsigned when not below zero, as the driver gives them.
    case QMetaType::LongLong: return text[0] == '-' ? QVariant(bytes.toLongLong()) : QVariant(bytes.toULongLong());
    case QMetaType::Int: return bytes.toInt();
    case QMetaType::Double: {
      if (type == kNumeric && numericalPrecisionPolicy() == QSql::HighPrecision) return QString::fromLatin1(bytes);
      bool read = false;
      double number = bytes.toDouble(&read);
      if (!read) {
        if (qstricmp(text, "NaN") == 0) number = std::numeric_limits<double>::quiet_NaN();
        else if (qstricmp(text, "Infinity") == 0) number = std::numeric_limits<double>::infinity();
        else if (qstricmp(text, "-Infinity") == 0) number = -std::numeric_limits<double>::infinity();
        else return QVariant();
      }
      if (type == kNumeric && numericalPrecisionPolicy() == QSql::LowPrecisionInt64) return qlonglong(number);
      if (type == kNumeric && numericalPrecisionPolicy() == QSql::LowPrecisionInt32) return int(number);
      return number;
    }
    case QMetaType::QDate: return QDate::fromString(QString::fromLatin1(bytes), Qt::ISODate);
    case QMetaType::QTime: return QTime::fromString(QString::fromLatin1(bytes), Qt::ISODate);
    case QMetaType::QDateTime: return QDateTime::fromString(QString::fromLatin1(bytes), Qt::ISODate);
    case QMetaType::QByteArray: {
      size_t size = 0;
      unsigned char* unescaped = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &size);
      const QByteArray value(reinterpret_cast<const char*>(unescaped), qsizetype(size));
      PQfreemem(unescaped);
      return value;
    }
    default: return QString::fromUtf8(bytes);
  }
}
}  // namespace

bool StartServerStream(const QSqlDriver* driver, QSqlQuery& query, const QString& sql, const QByteArray& name,
                       const QString& toPrepare, const QVariantList& values, bool* prepared) {
  if (prepared) *prepared = false;
  auto* stream = new ServerStream(driver);
  query = QSqlQuery(stream);
  return stream->Start(ServerConnection(driver), sql, name, toPrepare, values, prepared);
}

void DropServerStreams(const QSqlDriver* driver) {
  for (ServerStream* stream : live)
    if (stream->Reads(driver)) stream->Drop();
}
