#pragma once
// The goods receipt: lines collect in 临时入库, each under a five-digit
// serial of its own; saving moves them into the history (进货历史记录) and
// into the stock (库存), one batch per line.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

struct ReceiptLine {
  QString goodsCode;   // 编号
  QString searchCode;  // 拼音码
  double price = 0;    // 进价
  double quantity = 0; // 数量
  double salePrice = 0;// 售价
  QDate day;           // 进货时间
  QDate expiry;        // 有效期
};

// The line amount as the window shows it and the line stores it: price
// times quantity in the general float-to-text form.
double LineAmount(double price, double quantity);
// The serial after the pending lines' largest, or after the history's when
// nothing is pending. Throws CodeError or DbError.
QString NextReceiptSerial(const QSqlDatabase& db);
// Adds one pending line under the next serial and returns the serial.
// Throws CodeError (no serial left) or DbError, also for a number or a line
// amount past the 13 integer digits of an amount; nothing is written then.
QString AddReceiptLine(const QSqlDatabase& db, const ReceiptLine& line);
// Copies every pending line into the history and the stock and empties the
// pending table, as one transaction. Throws DbError with nothing changed.
void SaveReceipt(const QSqlDatabase& db);
