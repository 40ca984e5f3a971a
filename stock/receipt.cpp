#include "stock/receipt.h"

#include <cmath>

#include "db/sql.h"
#include "platform/amountkeys.h"
#include "platform/numbers.h"
#include "stock/pinyin.h"

namespace {
const QString kSelectMaxHistory = QStringLiteral("select max(流水号) as 最大编号 from 进货历史记录");
const QString kSelectMaxPending = QStringLiteral("select max(流水号) as 最大编号 from 临时入库");
const QString kInsertLine = QStringLiteral(
    "insert into 临时入库 (编号, 流水号, 拼音码, 进价, 数量, 售价, 金额, 进货时间, 有效期) "
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
// The three tables share their columns in one order, so whole rows move.
const QString kCopyToHistory = QStringLiteral("insert into 进货历史记录 select * from 临时入库");
const QString kCopyToStock = QStringLiteral("insert into 库存 select * from 临时入库");
const QString kEmptyPending = QStringLiteral("delete from 临时入库");

QString dayText(const QDate& day) { return day.toString(QStringLiteral("yyyy-MM-dd")); }
}  // namespace

double LineAmount(double price, double quantity) { return FloatText(price * quantity).toDouble(); }

QString NextReceiptSerial(const QSqlDatabase& db) {
  const QString history = ScalarText(db, kSelectMaxHistory);
  const QString pending = ScalarText(db, kSelectMaxPending);
  // Pending lines always number above the history, so a line keeps its
  // serial when it becomes a batch.
  return NextFiveDigitCode(pending.isEmpty() ? history : pending);
}

QString AddReceiptLine(const QSqlDatabase& db, const ReceiptLine& line) {
  for (const double number : {line.price, line.quantity, line.salePrice, line.price * line.quantity}) {
    if (!std::isfinite(number)) throw DbError(NotAFloatMessage(FloatText(number)));
    if (!WithinAmountDigits(number)) throw DbError(kAmountOutOfRange);
  }
  QSqlDatabase conn = db;
  QString serial;
  InTransaction(conn, [&] {
    serial = NextReceiptSerial(db);
    Exec(db, kInsertLine,
         {line.goodsCode, serial, line.searchCode, line.price, line.quantity, line.salePrice,
          LineAmount(line.price, line.quantity), dayText(line.day), dayText(line.expiry)});
  });
  return serial;
}

void SaveReceipt(const QSqlDatabase& db) {
  QSqlDatabase conn = db;
  InTransaction(conn, [&] {
    Exec(db, kCopyToHistory);
    Exec(db, kCopyToStock);
    Exec(db, kEmptyPending);
  });
}
