#pragma once
// One clinic day as the report tests seed it: paid visits of three charge
// categories by two cashiers with their dispensed lines and services, two
// accounts' unpaid visits of one serial (today's and yesterday's), a paid
// visit waiting at the dispensing desk, and goods with and without
// batches whose counts have drifted from their batches.
#include <QDate>
#include <QSqlDatabase>

#include "db/clinicconventions.h"
#include "db/sql.h"
#include "support/clinicfixture.h"

using ClinicFixture::InsertRow;

inline const QDate kToday(2026, 3, 10);
inline const QDate kYesterday(2026, 3, 9);
inline const QString kT = DayText(kToday);
inline const QString kY = DayText(kYesterday);

inline double Number(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  return ScalarText(db, sql, values).toDouble();
}
inline double Stock(const QSqlDatabase& db, const QString& code) {
  return Number(db, "select 数量 from 库存 where 编号 = ?", {code});
}
inline int Count(const QSqlDatabase& db, const QString& table) {
  return ScalarText(db, "select count(*) from " + table).toInt();
}

inline void Line(const QSqlDatabase& db, int serial, const QString& account, const QString& code, const QString& day,
          double quantity, const QString& paid) {
  InsertRow(db, "临时出库信息", {{"流水号", serial}, {"编号", code}, {"时间", day}, {"数量", quantity},
                                 {"单价(元)", 2}, {"开方医师", "医师01"}, {"划价人帐号", account},
                                 {"收银标志", paid}, {"收费类别", "门诊"}});
}

inline void Goods(const QSqlDatabase& db, const QString& code, const QString& category, double stock) {
  InsertRow(db, "药品信息", {{"编号", code}, {"品名", "品" + code}, {"类别", category}});
  InsertRow(db, "库存", {{"编号", code}, {"数量", stock}});
}

inline void Batch(const QSqlDatabase& db, const QString& code, const QString& batch, double quantity, const QString& made) {
  InsertRow(db, "药品过期表",
            {{"编号", code}, {"药品批号", batch}, {"数量", quantity}, {"生产时间", made}, {"有效期", 7000}});
}

inline void PaidVisit(const QSqlDatabase& db, const QString& category, int serial, const QString& account,
               const QString& day, double medicine, double services, const QString& cashier) {
  InsertRow(db, "患者信息", {{"收费类别", category}, {"流水号", serial}, {"姓名", "患者"}, {"时间", day},
                             {"药费(元)", medicine}, {"服务费(元)", services}, {"划价人帐号", account},
                             {"收银人帐号", cashier}});
}

inline void Dispensed(const QSqlDatabase& db, int serial, const QString& account, const QString& code, const QString& day,
               double quantity, double price, const QString& category) {
  InsertRow(db, "出库信息", {{"流水号", serial}, {"编号", code}, {"时间", day}, {"数量", quantity},
                             {"单价(元)", price}, {"划价人帐号", account}, {"收银人帐号", "收银01"},
                             {"开方医师", "医师01"}, {"收费类别", category}});
}

inline void Service(const QSqlDatabase& db, const QString& table, const QString& kind, int serial, const QString& account,
             const QString& day, double fee, const QString& category) {
  InsertRow(db, table, {{"服务类别", kind}, {"流水号", serial}, {"时间", day}, {"服务费(元)", fee},
                        {"开方医师", "医师01"}, {"服务人", "护士01"}, {"划价人帐号", account}, {"收费类别", category}});
}

// Goods A and B (with batches, their counts drifted), C (no batch), D
// (with a batch); today's paid visits of three categories by two cashiers
// and one of yesterday; two accounts' unpaid visits with the same serial,
// one priced today and one yesterday; one paid visit waiting at the
// dispensing desk.
inline void SeedDay(const QSqlDatabase& db) {
  Goods(db, "A", "西药", 90);
  Goods(db, "B", "中成药", 49);
  Goods(db, "C", "饮片", 20);
  Goods(db, "D", "西药", 7);
  Batch(db, "A", "a1", 60, "2025-01-01");
  Batch(db, "A", "a2", 40, "2025-06-01");
  Batch(db, "B", "b1", 50, "2025-01-01");
  Batch(db, "D", "d1", 10, "2025-01-01");

  PaidVisit(db, "门诊", 1, "acc01", kT, 12.5, 10, "收银01");
  PaidVisit(db, "门诊", 2, "acc02", kT, 30, 0, "收银02");
  PaidVisit(db, "住院", 3, "acc01", kT, 8, 20, "收银01");
  PaidVisit(db, "职工用药", 4, "acc02", kT, 5.25, 0, "收银02");
  PaidVisit(db, "门诊", 9, "acc01", kY, 100, 0, "收银01");
  Dispensed(db, 1, "acc01", "A", kT, 5, 2.5, "门诊");
  Dispensed(db, 2, "acc02", "B", kT, 3, 10, "门诊");
  Dispensed(db, 3, "acc01", "A", kT, 2, 4, "住院");
  Dispensed(db, 4, "acc02", "B", kT, 1, 5.25, "职工用药");
  Dispensed(db, 9, "acc01", "D", kY, 1, 100, "门诊");
  Service(db, "服务信息", "诊疗费", 1, "acc01", kT, 6, "门诊");
  Service(db, "服务信息", "换药", 1, "acc01", kT, 4, "门诊");
  Service(db, "服务信息", "诊疗费", 3, "acc01", kT, 20, "住院");

  InsertRow(db, "收银信息", {{"收费类别", "门诊"}, {"流水号", 5}, {"姓名", "甲"}, {"时间", kT}, {"药费(元)", 14},
                             {"服务费(元)", 5}, {"划价人帐号", "acc01"}});
  InsertRow(db, "收银信息", {{"收费类别", "门诊"}, {"流水号", 5}, {"姓名", "乙"}, {"时间", kY}, {"药费(元)", 4},
                             {"服务费(元)", 0}, {"划价人帐号", "acc02"}});
  Line(db, 5, "acc01", "A", kT, 3, "否");
  Line(db, 5, "acc01", "C", kT, 4, "否");
  Line(db, 5, "acc02", "A", kY, 2, "否");
  Service(db, "服务信息临时表", "诊疗费", 5, "acc01", kT, 5, "门诊");
  Line(db, 6, "acc01", "B", kT, 1, "是");
  InsertRow(db, "出库患者信息", {{"姓名", "丙"}, {"流水号", 6}, {"时间", kT}, {"划价人帐号", "acc01"}});
}

// What the dispensing desk does with the waiting visit.
inline void DispenseWaiting(const QSqlDatabase& db) {
  Exec(db, "update 药品过期表 set 数量 = 数量 - 1 where 编号 = 'B'");
  Exec(db, "delete from 临时出库信息 where 收银标志 = '是'");
  Exec(db, "delete from 出库患者信息");
}

