#pragma once
// Every row of a result, held compactly: the cells row after row in one
// array, the text of every cell end to end in one buffer, so that a year of
// lines is a few allocations rather than one per row and one per text, and
// is dropped as cheaply. A cell becomes a QVariant only when asked for.
#include <QByteArray>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QSqlQuery;

class FetchedRows {
 public:
  // Reads every row of an executed query in place of the rows held, in the
  // room they took, and finishes the query. A query over an SQLite store is
  // read straight from its statement, with the value types Qt's driver
  // gives (integers, doubles, texts, blobs, nulls as null texts); any other
  // query is read through its driver.
  void Read(QSqlQuery& query);

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

  bool readStatement(QSqlQuery& query);
  void readDriver(QSqlQuery& query);
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
};
