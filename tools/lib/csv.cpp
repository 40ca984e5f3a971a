#include "tools/lib/csv.h"

namespace {
bool IsLineEnd(QChar c) { return c == u'\n' || c == u'\r'; }
}  // namespace

CsvText ParseCsv(QString text) {
  CsvText result;
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);  // spreadsheets write a BOM

  const qsizetype n = text.size();
  qsizetype i = 0;
  int line = 1;
  auto fail = [&](const QString& why, int at) {
    result.error = why;
    result.errorLine = at;
    return result;
  };
  auto skipLineEnd = [&]() {
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    ++i;
    ++line;
  };

  while (i < n) {
    if (IsLineEnd(text[i])) {  // a blank line holds no record
      skipLineEnd();
      continue;
    }
    CsvRecord record;
    record.line = line;
    for (;;) {
      QString field;
      if (i < n && text[i] == u'"') {
        const int opened = line;
        ++i;
        for (;;) {
          if (i >= n) return fail(QStringLiteral("a quoted field is never closed"), opened);
          const QChar c = text[i];
          if (c == u'"') {
            if (i + 1 < n && text[i + 1] == u'"') {
              field += u'"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text[i + 1] == u'\n'))) ++line;
          field += c;
          ++i;
        }
        if (i < n && text[i] != u',' && !IsLineEnd(text[i]))
          return fail(QStringLiteral("text after the closing quote of a field"), line);
      } else {
        while (i < n && text[i] != u',' && !IsLineEnd(text[i])) {
          if (text[i] == u'"')
            return fail(QStringLiteral("a quote inside a field that does not start with one"), line);
          field += text[i++];
        }
      }
      record.fields << field;
      if (i < n && text[i] == u',') {
        ++i;
        continue;
      }
      break;
    }
    result.records.push_back(std::move(record));
    if (i < n) skipLineEnd();
  }
  return result;
}
