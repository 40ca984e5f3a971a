#pragma once
// Adding a goods item to the catalogue (基本资料) under the next free code.
#include <QSqlDatabase>
#include <QString>

struct GoodsFields {
  QString name;        // 品名
  QString searchCode;  // 拼音缩写
  QString size;        // 规格
  QString unit;        // 单位
  QString place;       // 仓位
  QString maker;       // 产地
};

// Stores the goods, every text trimmed, under the code after the largest
// one, and returns that code. Throws CodeError (no code left, nothing
// written) or DbError (nothing written).
QString AddGoods(const QSqlDatabase& db, const GoodsFields& goods);
