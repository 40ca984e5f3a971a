#include "tools/lib/csv.h"

#include <QBuffer>

namespace {
bool IsLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }
const qint64 kBlock = 1 << 16;
}  // namespace

const qsizetype kLongestRecord = 1 << 20;

CsvReader::CsvReader(QIODevice& device) : device_(device) {}

bool CsvReader::Peek(QChar& c, qsizetype ahead) {
  while (pos_ + ahead >= buffer_.size()) {
    if (device_.atEnd()) return false;
    // What was read already goes, so the buffer holds one block and the
    // record in hand.
    buffer_.remove(0, pos_);
    pos_ = 0;
    const QByteArray block = device_.read(kBlock);
    if (block.isEmpty()) return false;
    buffer_ += decoder_.decode(block);
    if (decoder_.hasError()) {
      Fail(QStringLiteral("the file is not UTF-8 text"), line_);
      return false;
    }
  }
  c = buffer_.at(pos_ + ahead);
  return true;
}

bool CsvReader::Fail(const QString& why, int line) {
  if (error_.isEmpty()) {
    error_ = why;
    errorLine_ = line;
  }
  return false;
}

bool CsvReader::Next(CsvRecord& record) {
  if (!error_.isEmpty()) return false;
  QChar c;
  if (!started_) {
    started_ = true;
    if (Peek(c) && c == QChar(0xFEFF)) ++pos_;  // spreadsheets write a BOM
  }
  const auto skipLineEnd = [&] {
    QChar next;
    if (buffer_.at(pos_) == u'\r' && Peek(next, 1) && next == u'\n') ++pos_;
    ++pos_;
    ++line_;
  };
  // A blank line holds no record.
  while (Peek(c) && IsLineEnd(c)) skipLineEnd();
  if (!error_.isEmpty() || !Peek(c)) return false;

  record.line = line_;
  record.fields.clear();
  // Counted as it is read: a record past the limit is refused before it
  // is held whole, however long the rest of it runs.
  qsizetype held = 0;
  const auto tooLong = [&] {
    if (++held <= kLongestRecord) return false;
    Fail(QStringLiteral("the line is longer than %1 characters").arg(kLongestRecord), record.line);
    return true;
  };
  for (;;) {
    QString field;
    if (Peek(c) && c == u'"') {
      const int opened = line_;
      ++pos_;
      for (;;) {
        if (!Peek(c)) return Fail(QStringLiteral("a quoted field is never closed"), opened);
        QChar next;
        if (c == u'"') {
          if (Peek(next, 1) && next == u'"') {
            field += u'"';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        if (c == u'\n' || (c == u'\r' && !(Peek(next, 1) && next == u'\n'))) ++line_;
        if (tooLong()) return false;
        field += c;
        ++pos_;
      }
      if (Peek(c) && c != u',' && !IsLineEnd(c))
        return Fail(QStringLiteral("text after the closing quote of a field"), line_);
    } else {
      while (Peek(c) && c != u',' && !IsLineEnd(c)) {
        if (c == u'"') return Fail(QStringLiteral("a quote inside a field that does not start with one"), line_);
        if (tooLong()) return false;
        field += c;
        ++pos_;
      }
    }
    if (!error_.isEmpty()) return false;
    record.fields << field;
    if (Peek(c) && c == u',') {
      ++pos_;
      continue;
    }
    break;
  }
  if (Peek(c)) skipLineEnd();
  return error_.isEmpty();
}

CsvText ParseCsv(QString text) {
  QByteArray bytes = text.toUtf8();
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  CsvReader reader(device);
  CsvText result;
  CsvRecord record;
  while (reader.Next(record)) result.records.push_back(record);
  result.error = reader.error();
  result.errorLine = reader.errorLine();
  return result;
}
