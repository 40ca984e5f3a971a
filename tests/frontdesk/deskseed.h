#pragma once
// Goods, stock, batches and receipts the front-desk tests price from.
#include <QSqlDatabase>

#include "db/sql.h"
#include "support/clinicfixture.h"

namespace DeskSeed {
struct Goods {
  const char* code;
  const char* name;
  const char* pinyin;
  double receiptPrice;
  // Batches as (number, quantity, production day), oldest first.
  QList<std::tuple<const char*, double, const char*>> batches;
};

// 1001: 3 in an older batch and 10 in a newer one; 1002: 20 in one batch;
// 1003: none in stock. 库存 holds each goods' batch total. The batches
// keep for twenty years: only the expiry cases let one expire.
inline QList<Goods> Catalogue() {
  return {{"1001", "阿莫西林胶囊", "AMXLJN", 8.6, {{"b-old", 3, "2024-01-01"}, {"b-new", 10, "2024-06-01"}}},
          {"1002", "板蓝根颗粒", "BLGKL", 4.2, {{"c1", 20, "2024-03-01"}}},
          {"1003", "阿司匹林肠溶片", "ASPLCRP", 2.5, {}}};
}

inline void AddGoods(const QSqlDatabase& db, const Goods& goods) {
  using ClinicFixture::InsertRow;
  InsertRow(db, "药品信息",
            {{"编号", goods.code}, {"品名", goods.name}, {"单位", "盒"}, {"规格", "10粒"}, {"厂商", "青禾制药"},
             {"类别", "西药"}, {"拼音缩写", goods.pinyin}, {"售价(元)", goods.receiptPrice * 1.5}});
  double total = 0;
  for (const auto& [number, quantity, made] : goods.batches) {
    InsertRow(db, "药品过期表",
              {{"编号", goods.code}, {"药品批号", number}, {"数量", quantity}, {"生产时间", made}, {"有效期", 7300}});
    InsertRow(db, "入库信息",
              {{"编号", goods.code}, {"时间", made}, {"药品批号", number}, {"数量", quantity},
               {"单价(元)", goods.receiptPrice}, {"药品来源", "青禾医药公司"}, {"入库人帐号", "admin"}});
    total += quantity;
  }
  InsertRow(db, "库存", {{"编号", goods.code}, {"数量", total}});
}

inline void AddCatalogue(const QSqlDatabase& db) {
  for (const Goods& goods : Catalogue()) AddGoods(db, goods);
}

inline double Number(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ScalarText(db, sql, values).toDouble();
}
inline double Stock(const QSqlDatabase& db, const QString& code) {
  return Number(db, "select 数量 from 库存 where 编号 = ?", {code});
}
inline int Count(const QSqlDatabase& db, const QString& table) {
  return ScalarText(db, "select count(*) from " + table).toInt();
}
}  // namespace DeskSeed
