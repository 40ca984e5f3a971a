#pragma once
// Reading comma-separated text as people write it in a spreadsheet: UTF-8,
// fields with commas, quotes or line breaks inside double quotes, a doubled
// quote for a quote. Each record keeps the line it starts on, so a fault in
// it can be shown where an editor shows it.
#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <vector>

struct CsvRecord {
  int line = 0;  // 1-based line of the record's first character
  QStringList fields;
};

// The most characters one record may hold.
extern const qsizetype kLongestRecord;

// Reads one record at a time from a device, holding no more of the file
// than the record being read (kLongestRecord at most) and one block, so a
// file of any size, and any line, reads in bounded memory.
class CsvReader {
 public:
  explicit CsvReader(QIODevice& device);
  // The next record (blank lines are left out); false at the end of the
  // text or at a fault, which error() then names.
  bool Next(CsvRecord& record);
  // Empty when the text read so far is well formed.
  const QString& error() const { return error_; }
  int errorLine() const { return errorLine_; }

 private:
  // The character at pos_ + ahead, reading more of the device as needed;
  // false past the end.
  bool Peek(QChar& c, qsizetype ahead = 0);
  bool Fail(const QString& why, int line);

  QIODevice& device_;
  QStringDecoder decoder_{QStringDecoder::Utf8};
  QString buffer_;
  qsizetype pos_ = 0;
  int line_ = 1;
  bool started_ = false;
  QString error_;
  int errorLine_ = 0;
};

struct CsvText {
  std::vector<CsvRecord> records;  // blank lines are left out
  QString error;                   // empty when the whole text was read
  int errorLine = 0;
};

// Splits the text into records. Stops at the first malformed quote and
// says where; records before it are kept, but a caller should load none.
CsvText ParseCsv(QString text);
