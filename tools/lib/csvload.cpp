#include "tools/lib/csvload.h"

#include <QDate>
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
#include "tools/lib/csv.h"

namespace {

struct PreparedRow {
  int line = 0;
  QVariantList values;
};

struct PreparedFile {
  QString file;
  QString insert;
  std::vector<PreparedRow> rows;
};

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
// An empty number or day is stored as null, as a list's new row leaves it.
QVariant FieldValue(const ClinicColumn& column, const QString& field, QString& why) {
  switch (column.type) {
    case ColumnType::Text:
      // A blank text is empty text, never NULL: the reports' filters match
      // every text but no NULL, so a receipt loaded with a blank supplier
      // would vanish from them.
      return field.isNull() ? QStringLiteral("") : field;
    case ColumnType::Number:
    case ColumnType::Money: {
      const QString text = field.trimmed();
      if (text.isEmpty()) return QVariant(QMetaType::fromType<double>());
      double value = 0;
      if (!ReadDecimal(text, value)) {
        why = QStringLiteral("\"%1\" is not a decimal number").arg(field);
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

// Checks the header against the table; returns the header's columns in
// order, or nothing when a problem was recorded.
std::vector<const ClinicColumn*> HeaderColumns(const ClinicTable& table, const CsvRecord& header,
                                               const QString& file, LoadResult& result) {
  const size_t before = result.problems.size();
  std::vector<const ClinicColumn*> columns;
  QSet<QString> named;
  for (const QString& raw : header.fields) {
    const QString name = raw.trimmed();
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

PreparedFile Prepare(const CsvFile& source, LoadResult& result) {
  PreparedFile prepared;
  prepared.file = source.path;
  const QString file = source.path;
  const size_t before = result.problems.size();

  const ClinicTable* table = LoadableClinicTables().contains(source.table) ? FindClinicTable(source.table) : nullptr;
  if (!table) {
    result.problems.push_back({file, 0, {}, QStringLiteral("%1 is not a table that is loaded from files").arg(source.table)});
    return prepared;
  }
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) {
    result.problems.push_back({file, 0, {}, in.errorString()});
    return prepared;
  }
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8.decode(in.readAll());
  if (utf8.hasError()) {
    result.problems.push_back({file, 0, {}, QStringLiteral("the file is not UTF-8 text")});
    return prepared;
  }
  const CsvText csv = ParseCsv(text);
  if (!csv.error.isEmpty()) {
    result.problems.push_back({file, csv.errorLine, {}, csv.error});
    return prepared;
  }
  if (csv.records.empty()) {
    result.problems.push_back({file, 1, {}, QStringLiteral("no header row naming the columns")});
    return prepared;
  }
  const std::vector<const ClinicColumn*> columns = HeaderColumns(*table, csv.records.front(), file, result);
  if (columns.empty()) return prepared;

  for (size_t r = 1; r < csv.records.size(); ++r) {
    const CsvRecord& record = csv.records[r];
    const qsizetype count = record.fields.size();
    if (count < qsizetype(columns.size())) {
      result.problems.push_back({file, record.line, columns[count]->name,
                                 QStringLiteral("missing: the row has %1 fields, the header %2").arg(count).arg(columns.size())});
      continue;
    }
    if (count > qsizetype(columns.size())) {
      result.problems.push_back({file, record.line, QString::number(columns.size() + 1),
                                 QStringLiteral("the row has %1 fields, the header %2").arg(count).arg(columns.size())});
      continue;
    }
    PreparedRow row{record.line, {}};
    for (size_t c = 0; c < columns.size(); ++c) {
      QString why;
      const QVariant value = FieldValue(*columns[c], record.fields[c], why);
      if (!why.isEmpty()) result.problems.push_back({file, record.line, columns[c]->name, why});
      row.values << value;
    }
    prepared.rows.push_back(std::move(row));
  }
  if (result.problems.size() != before) return prepared;

  QStringList names, marks;
  for (const ClinicColumn* c : columns) {
    names << QuotedName(c->name);
    marks << QStringLiteral("?");
  }
  prepared.insert = QStringLiteral("insert into %1 (%2) values (%3)")
                        .arg(QuotedName(table->name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
  return prepared;
}

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
  std::vector<PreparedFile> prepared;
  for (const CsvFile& f : files) prepared.push_back(Prepare(f, result));
  if (!result.ok()) return result;

  // Which row the store refused, to report it where the file has it.
  const PreparedFile* file = nullptr;
  const PreparedRow* row = nullptr;
  int written = 0;
  QString failure;
  const bool done = TransactionPosting(db, [&] {
    for (const PreparedFile& p : prepared) {
      file = &p;
      row = nullptr;
      for (const PreparedRow& r : p.rows) {
        row = &r;
        Exec(db, p.insert, r.values);
        ++written;
      }
    }
    file = nullptr;  // past the last row only the commit can fail
  }, &failure);
  if (!done) {
    result.problems.push_back({file ? file->file : QString(), row ? row->line : 0, {}, failure});
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
