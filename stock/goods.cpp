#include "stock/goods.h"

#include "db/sql.h"
#include "stock/pinyin.h"

namespace {
const QString kSelectMaxCode = QStringLiteral("select max(编号) as 最大编号 from 基本资料");
const QString kInsertGoods = QStringLiteral(
    "insert into 基本资料 (编号, 品名, 拼音缩写, 规格, 单位, 仓位, 产地) values (?, ?, ?, ?, ?, ?, ?)");
}  // namespace

QString AddGoods(const QSqlDatabase& db, const GoodsFields& goods) {
  QSqlDatabase conn = db;
  QString code;
  // The largest code is read and the row written in one transaction, so two
  // desks adding at once cannot both take the same code.
  InTransaction(conn, [&] {
    code = NextFiveDigitCode(ScalarText(db, kSelectMaxCode));
    Exec(db, kInsertGoods,
         {code, goods.name.trimmed(), goods.searchCode.trimmed(), goods.size.trimmed(), goods.unit.trimmed(),
          goods.place.trimmed(), goods.maker.trimmed()});
  });
  return code;
}
