#pragma once
// Rows the pharmacy tests start from: one goods item with its stock, a
// batch and its receipt; a visit priced on one day, paid and dispensed on
// the next, with two identical service lines.
#include <QDate>
#include <QSqlDatabase>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "support/clinicfixture.h"

namespace ClinicSeed {
inline const QString kCode = QStringLiteral("00001");
inline const QString kBatch = QStringLiteral("B1");
inline const QString kPricer = QStringLiteral("acc1");
inline const QString kOperator = QStringLiteral("药房01");
inline const QDate kPriced{2026, 3, 1};
inline const QDate kPaid{2026, 3, 2};
inline const QDate kReturned{2026, 3, 3};
inline const VisitKey kVisit{7, QStringLiteral("acc1")};

inline void Goods(const QSqlDatabase& db, const QString& code, const QString& name, const QString& pinyin,
                  double stock, double minimum = 0) {
  ClinicFixture::InsertRow(db, "药品信息",
                           {{"编号", code}, {"品名", name}, {"单位", "盒"}, {"规格", "0.25g"}, {"厂商", "甲厂"},
                            {"类别", "西药"}, {"拼音缩写", pinyin}, {"售价(元)", 12.5}, {"下限", minimum}});
  ClinicFixture::InsertRow(db, "库存", {{"编号", code}, {"数量", stock}});
}

inline void Batch(const QSqlDatabase& db, const QString& code, const QString& batch, double quantity,
                  const QDate& made = QDate(2026, 1, 1), double shelfLife = 730) {
  ClinicFixture::InsertRow(db, "药品过期表",
                           {{"编号", code}, {"药品批号", batch}, {"数量", quantity}, {"生产时间", DayText(made)},
                            {"有效期", shelfLife}});
}

inline void Receipt(const QSqlDatabase& db, const QString& code, const QString& batch, double quantity,
                    double price = 8) {
  ClinicFixture::InsertRow(db, "入库信息",
                           {{"编号", code}, {"时间", "2026-01-05"}, {"药品批号", batch}, {"数量", quantity},
                            {"单价(元)", price}, {"药品来源", "供货商甲"}, {"入库人帐号", "rk01"}});
}

// 00001 with 20 in stock, batch B1 of 10 and its receipt of 10.
inline void Stock(const QSqlDatabase& db) {
  Goods(db, kCode, "阿莫西林", "AMXL", 20);
  Batch(db, kCode, kBatch, 10);
  Receipt(db, kCode, kBatch, 10);
}

inline void PaidVisit(const QSqlDatabase& db, const VisitKey& visit, const QString& name, double dispensed,
                      double fee = 15) {
  ClinicFixture::InsertRow(db, "患者信息",
                           {{"收费类别", "门诊"}, {"流水号", visit.serial}, {"姓名", name}, {"时间", DayText(kPaid)},
                            {"药费(元)", dispensed * 12}, {"服务费(元)", 2 * fee}, {"划价人帐号", visit.account},
                            {"收银人帐号", "收银01"}});
  ClinicFixture::InsertRow(db, "出库信息",
                           {{"流水号", visit.serial}, {"编号", kCode}, {"时间", DayText(kPaid)}, {"数量", dispensed},
                            {"单价(元)", 12}, {"出库人帐号", "药房02"}, {"划价人帐号", visit.account},
                            {"收银人帐号", "收银01"}, {"开方医师", "医师01"}, {"收费类别", "门诊"}});
  for (int twin = 0; twin < 2; ++twin)
    ClinicFixture::InsertRow(db, "服务信息",
                             {{"服务类别", "注射"}, {"流水号", visit.serial}, {"时间", DayText(kPriced)},
                              {"服务费(元)", fee}, {"开方医师", "医师01"}, {"服务人", "护士01"},
                              {"划价人帐号", visit.account}, {"收费类别", "门诊"}});
}

inline double Number(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ScalarText(db, sql, values).toDouble();
}

// A statement that fails whenever it touches table (event: insert, update
// or delete), on either store; Remove takes it away again.
inline void FailOn(const QSqlDatabase& db, const QString& table, const QString& event) {
  const QString name = QStringLiteral("fail_%1_%2").arg(event).arg(qHash(table));
  if (IsPostgres(db)) {
    ExecDirect(db, "create or replace function fail_now() returns trigger language plpgsql as "
                   "$$ begin raise exception 'injected failure'; end $$");
    ExecDirect(db, QStringLiteral("create trigger %1 before %2 on %3 for each row execute function fail_now()")
                       .arg(name, event, QuotedName(table)));
  } else {
    ExecDirect(db, QStringLiteral("create trigger %1 before %2 on %3 begin select raise(abort, 'injected failure'); end")
                       .arg(name, event, QuotedName(table)));
  }
}

inline void StopFailing(const QSqlDatabase& db, const QString& table, const QString& event) {
  const QString name = QStringLiteral("fail_%1_%2").arg(event).arg(qHash(table));
  if (IsPostgres(db))
    ExecDirect(db, QStringLiteral("drop trigger %1 on %2").arg(name, QuotedName(table)));
  else
    ExecDirect(db, QStringLiteral("drop trigger %1").arg(name));
}
}  // namespace ClinicSeed
