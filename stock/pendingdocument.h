#pragma once
// A shop document built line by line in a pending table: the grid of its
// lines, the line count and amount sum read back into two boxes, and the
// removal of one line by a double click after a Yes/No question. The
// receipt and the issue windows each keep one.
#include <QList>
#include <QSqlDatabase>
#include <QString>

class DataGrid;
class QLineEdit;

struct PendingStatements {
  QString select;  // the lines, joined with their goods, for the grid
  QString count;   // one cell: the number of lines
  QString sum;     // one cell: the sum of the line amounts
  QString remove;  // deletes one line; its values are the key cells, in order
  QList<int> keyColumns;     // grid cells that identify a line
  QString emptyKeyMessage;   // shown when a key cell is empty; silence when empty
};

class PendingDocument {
 public:
  PendingDocument(DataGrid* grid, QLineEdit* countBox, QLineEdit* sumBox, PendingStatements statements);

  void SetDatabase(const QSqlDatabase& db) { db_ = db; }
  // Reopens the grid and sets its widths. Throws DbError.
  void Refresh(const QList<int>& widths);
  // Reads the line count and the amount sum into their boxes. Throws DbError.
  void ReadTotals();
  // The double-click removal: checks the key cells, asks, deletes, then
  // refreshes the grid and the totals. A failed delete says
  // "对不起, 操作失败" and the grid is read again all the same. Database
  // errors of the refresh are shown, not thrown. True when a line went.
  bool RemoveCurrent(const QList<int>& widths);

 private:
  DataGrid* grid_;
  QLineEdit* countBox_;
  QLineEdit* sumBox_;
  PendingStatements statements_;
  QSqlDatabase db_;
};
