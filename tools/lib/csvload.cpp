#include "tools/lib/csvload.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <optional>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QVariant>

#include "db/clinicdb.h"
#include "db/clinicconventions.h"
#include "db/sql.h"
#include "platform/numbers.h"
#include "platform/widgets.h"
#include "tools/lib/csv.h"

namespace {

// Rows sent to PostgreSQL in one statement: each statement is a round trip
// to the server, and a row at a time spent most of a load waiting.
const int kServerBatch = 200;

// Thrown inside the load's transaction once a problem is known, so that
// nothing of the load stays.
struct Refused {};

// A plain decimal as people type it in a sheet: no exponent, no thousands
// separators, no "inf" or "nan" that toDouble() would let through.
bool ReadDecimal(const QString& text, double& value) {
  static const QRegularExpression decimal(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)$"));
  if (!decimal.match(text).hasMatch()) return false;
  bool ok = false;
  value = text.toDouble(&ok);
  return ok;
}

bool ReadDay(const QString& text, QDate& day) {
  static const QRegularExpression iso(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
  if (!iso.match(text).hasMatch()) return false;
  day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
  return day.isValid();
}

// The bound value of one field, or an empty variant with why it is refused.
// Fields lose their leading and trailing blanks ("9001 " is the code 9001).
// An empty text is stored as empty text, never null, so like searches find
// the row; an empty number or day is stored as null, as a list's new row
// leaves it.
QVariant FieldValue(const ClinicColumn& column, const QString& field, QString& why) {
  switch (column.type) {
    case ColumnType::Text: {
      const QString text = field.trimmed();
      return text.isEmpty() ? QStringLiteral("") : text;
    }
    case ColumnType::Number:
    case ColumnType::Money: {
      const QString text = field.trimmed();
      if (text.isEmpty()) return QVariant(QMetaType::fromType<double>());
      double value = 0;
      if (!ReadDecimal(text, value)) {
        why = QStringLiteral("\"%1\" is not a decimal number").arg(field);
        return {};
      }
      // The desks post amounts and quantities of 13 integer digits at
      // most, and a figure past that would break every sum it enters.
      if (!WithinAmountDigits(value)) {
        why = QStringLiteral("\"%1\" has more than the 13 integer digits an amount or quantity may have").arg(text);
        return {};
      }
      return value;
    }
    case ColumnType::Day: {
      const QString text = field.trimmed();
      if (text.isEmpty()) return QVariant(QMetaType::fromType<QDate>());
      QDate day;
      if (!ReadDay(text, day)) {
        why = QStringLiteral("\"%1\" is not a day written yyyy-MM-dd").arg(field);
        return {};
      }
      return day;
    }
    case ColumnType::RowId:
      break;
  }
  return {};
}

// A byte-order mark is no text wherever a spreadsheet left it.
QString WithoutByteOrderMarks(const QString& field) { return QString(field).remove(QChar(0xFEFF)); }

// The loaded columns that no count below zero makes sense in, and the
// prices, fees and shares that a desk refuses below zero (the pricing desk
// would refuse every line of a goods whose price is).
bool NeverBelowZero(const ClinicTable& table, const ClinicColumn& column) {
  static const QSet<QString> columns{
      QStringLiteral("库存|数量"),           QStringLiteral("药品过期表|数量"),   QStringLiteral("药品过期表|有效期"),
      QStringLiteral("药品信息|售价(元)"),   QStringLiteral("药品信息|下限"),     QStringLiteral("入库信息|数量"),
      QStringLiteral("入库信息|单价(元)"),   QStringLiteral("服务项目|项目单价(元)"),
      QStringLiteral("比例分配表|医生比例"), QStringLiteral("比例分配表|服务人比例"),
      QStringLiteral("收银信息|药费(元)"),   QStringLiteral("收银信息|服务费(元)"),
      QStringLiteral("服务信息临时表|服务费(元)")};
  return columns.contains(table.name + QLatin1Char('|') + column.name);
}

// Checks the header against the table; returns the header's columns in
// order, or nothing when a problem was recorded.
std::vector<const ClinicColumn*> HeaderColumns(const ClinicTable& table, const CsvRecord& header,
                                               const QString& file, LoadResult& result) {
  const size_t before = result.problems.size();
  std::vector<const ClinicColumn*> columns;
  QSet<QString> named;
  for (const QString& raw : header.fields) {
    const QString name = WithoutByteOrderMarks(raw).trimmed();
    const ClinicColumn* found = table.Find(name);
    if (!found)
      result.problems.push_back({file, header.line, name.isEmpty() ? QString::number(columns.size() + 1) : name,
                                 QStringLiteral("table %1 has no such column").arg(table.name)});
    else if (found->IsGenerated() || found->IsRowId())
      result.problems.push_back({file, header.line, name, QStringLiteral("the store computes this column; leave it out")});
    else if (named.contains(name))
      result.problems.push_back({file, header.line, name, QStringLiteral("named twice in the header")});
    named.insert(name);
    columns.push_back(found);
  }
  for (const QString& stored : table.StoredColumns())
    if (!named.contains(stored))
      result.problems.push_back({file, header.line, stored, QStringLiteral("missing from the header")});
  if (result.problems.size() != before) return {};
  return columns;
}

// The columns a row cannot do without: the table's key, the goods code
// that every desk finds a row by, and the entry of a one-column list.
QSet<QString> KeyColumns(const ClinicTable& table) {
  QSet<QString> keys(table.key.begin(), table.key.end());
  if (table.Find(QStringLiteral("编号"))) keys.insert(QStringLiteral("编号"));
  if (table.StoredColumns().size() == 1) keys.insert(table.StoredColumns().front());
  return keys;
}

QString InsertStatement(const ClinicTable& table, const std::vector<const ClinicColumn*>& columns, int rows) {
  QStringList names, marks;
  for (const ClinicColumn* c : columns) {
    names << QuotedName(c->name);
    marks << QStringLiteral("?");
  }
  const QString row = QStringLiteral("(%1)").arg(marks.join(QLatin1Char(',')));
  QStringList values;
  for (int i = 0; i < rows; ++i) values << row;
  return QStringLiteral("insert into %1 (%2) values %3")
      .arg(QuotedName(table.name), names.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
}

struct PendingRow {
  int line = 0;
  QVariantList values;
};

// One file streamed into its table: rows are checked as they are read and
// written while the whole load is still without a problem; after the first
// problem the rest is only checked, so every fault is reported at once.
class FileLoad {
 public:
  FileLoad(const QSqlDatabase& db, const CsvFile& source, LoadResult& result, bool& storeUsable, int& written)
      : db_(db), source_(source), result_(result), storeUsable_(storeUsable), written_(written) {}

  void Run() {
    const QString file = source_.path;
    table_ = LoadableClinicTables().contains(source_.table) ? FindClinicTable(source_.table) : nullptr;
    if (!table_) {
      Problem(0, {}, QStringLiteral("%1 is not a table that is loaded from files").arg(source_.table));
      return;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
      Problem(0, {}, in.errorString());
      return;
    }
    CsvReader reader(in);
    CsvRecord record;
    if (!reader.Next(record)) {
      if (reader.error().isEmpty())
        Problem(1, {}, QStringLiteral("no header row naming the columns"));
      else
        Problem(reader.errorLine(), {}, reader.error());
      return;
    }
    columns_ = HeaderColumns(*table_, record, file, result_);
    if (columns_.empty()) return;
    const QSet<QString> keys = KeyColumns(*table_);
    while (reader.Next(record)) Row(record, keys);
    if (!reader.error().isEmpty()) Problem(reader.errorLine(), {}, reader.error());
    Flush();
  }

 private:
  void Problem(int line, const QString& column, const QString& text) {
    result_.problems.push_back({source_.path, line, column, text});
  }
  bool Writing() const { return result_.ok() && storeUsable_; }

  void Row(const CsvRecord& record, const QSet<QString>& keys) {
    const qsizetype count = record.fields.size();
    const qsizetype expected = qsizetype(columns_.size());
    if (count < expected) {
      Problem(record.line, columns_[count]->name,
              QStringLiteral("missing: the row has %1 fields, the header %2").arg(count).arg(expected));
      return;
    }
    if (count > expected) {
      Problem(record.line, QString::number(expected + 1),
              QStringLiteral("the row has %1 fields, the header %2").arg(count).arg(expected));
      return;
    }
    PendingRow row{record.line, {}};
    row.values.reserve(expected);
    for (qsizetype c = 0; c < expected; ++c) {
      QString why;
      const QString field = WithoutByteOrderMarks(record.fields[c]);
      const QVariant value = FieldValue(*columns_[c], field, why);
      if (why.isEmpty() && HasControlCharacter(field))
        why = QStringLiteral("holds a control character or an invisible format character (a direction mark, say), which no box shows");
      if (why.isEmpty() && keys.contains(columns_[c]->name) && field.trimmed().isEmpty())
        why = QStringLiteral("empty: a row of %1 needs its %2").arg(table_->name, columns_[c]->name);
      if (why.isEmpty() && NeverBelowZero(*table_, *columns_[c]) && !value.isNull() && value.toDouble() < 0)
        why = QStringLiteral("\"%1\" is below zero").arg(field.trimmed());
      if (!why.isEmpty()) Problem(record.line, columns_[c]->name, why);
      row.values << BoundValue(value);
    }
    if (!Writing()) return;
    pending_.push_back(std::move(row));
    if (int(pending_.size()) >= BatchSize()) Flush();
  }

  int BatchSize() const { return IsPostgres(db_) ? kServerBatch : 1; }

  // Writes the rows in hand: a full batch in one statement, the rest one
  // at a time. A row the store refuses is reported at its own line.
  void Flush() {
    if (!Writing()) {
      pending_.clear();
      return;
    }
    if (pending_.empty()) return;
    const bool server = IsPostgres(db_);
    if (server && int(pending_.size()) == kServerBatch) {
      // A refused batch is undone alone, then written row by row to find
      // the row at fault.
      ExecDirect(db_, QStringLiteral("savepoint 载入"));
      QVariantList values;
      for (const PendingRow& row : pending_) values << row.values;
      if (Run(Batch(), values)) {
        ExecDirect(db_, QStringLiteral("release savepoint 载入"));
        written_ += int(pending_.size());
        pending_.clear();
        return;
      }
      ExecDirect(db_, QStringLiteral("rollback to savepoint 载入"));
    }
    for (const PendingRow& row : pending_) {
      if (!Run(One(), row.values)) {
        Problem(row.line, {}, StoreErrorText(One().lastError()));
        storeUsable_ = false;
        break;
      }
      ++written_;
    }
    pending_.clear();
  }

  QSqlQuery& One() { return Prepared(one_, 1); }
  QSqlQuery& Batch() { return Prepared(batch_, kServerBatch); }
  QSqlQuery& Prepared(std::optional<QSqlQuery>& query, int rows) {
    if (!query) {
      query.emplace(db_);
      if (!query->prepare(InsertStatement(*table_, columns_, rows))) throw DbError(query->lastError());
    }
    return *query;
  }
  static bool Run(QSqlQuery& query, const QVariantList& values) {
    for (qsizetype i = 0; i < values.size(); ++i) query.bindValue(int(i), values[i]);
    return query.exec();
  }

  QSqlDatabase db_;
  const CsvFile& source_;
  LoadResult& result_;
  bool& storeUsable_;
  int& written_;
  const ClinicTable* table_ = nullptr;
  std::vector<const ClinicColumn*> columns_;
  std::vector<PendingRow> pending_;
  std::optional<QSqlQuery> one_;
  std::optional<QSqlQuery> batch_;
};

}  // namespace

QString LoadProblem::Describe() const {
  QString where = file;
  if (line > 0) where += QLatin1Char(':') + QString::number(line);
  QString out = where + QStringLiteral(": ");
  if (!column.isEmpty()) out += QStringLiteral("column %1: ").arg(column);
  return out + text;
}

const QStringList& LoadableClinicTables() {
  static const QStringList tables = {
      QStringLiteral("药品类别"),   QStringLiteral("药品剂型"),       QStringLiteral("药品单位"),
      QStringLiteral("药品来源"),   QStringLiteral("药品信息"),       QStringLiteral("服务人"),
      QStringLiteral("服务项目"),   QStringLiteral("比例分配表"),     QStringLiteral("库存"),
      QStringLiteral("入库信息"),   QStringLiteral("药品过期表"),     QStringLiteral("收银信息"),
      QStringLiteral("服务信息临时表"), QStringLiteral("财务综合报表"), QStringLiteral("卫材入库历史记录表"),
      QStringLiteral("卫材出库表")};
  return tables;
}

LoadResult LoadCsvFile(const QSqlDatabase& db, const QString& table, const QString& path) {
  return LoadCsvFiles(db, {CsvFile{table, path}});
}

LoadResult LoadCsvFiles(const QSqlDatabase& db, std::vector<CsvFile> files) {
  LoadResult result;
  int written = 0;
  bool storeUsable = true;
  QString failure;
  // One transaction for every file and for the tables a new store still
  // lacks: a refused load leaves the store as it was, without even empty
  // tables in a store that had none.
  const bool done = TransactionPosting(db, [&] {
    MakeMissingClinicTables(db);
    for (const CsvFile& f : files) FileLoad(db, f, result, storeUsable, written).Run();
    if (!result.ok()) throw Refused{};
  }, &failure);
  if (!done) {
    if (result.ok()) result.problems.push_back({QString(), 0, {}, failure});
    return result;
  }
  result.rows = written;
  return result;
}

std::vector<CsvFile> CsvFilesOfFolder(const QString& folder, LoadResult& result) {
  const QDir dir(folder);
  if (!dir.exists()) {
    result.problems.push_back({folder, 0, {}, QStringLiteral("no such folder")});
    return {};
  }
  std::vector<CsvFile> found;
  for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name)) {
    if (!LoadableClinicTables().contains(info.completeBaseName()))
      result.problems.push_back({info.filePath(), 0, {}, QStringLiteral("%1 is not a table that is loaded from files").arg(info.completeBaseName())});
    else
      found.push_back({info.completeBaseName(), info.filePath()});
  }
  std::sort(found.begin(), found.end(), [](const CsvFile& a, const CsvFile& b) {
    return LoadableClinicTables().indexOf(a.table) < LoadableClinicTables().indexOf(b.table);
  });
  return found;
}
