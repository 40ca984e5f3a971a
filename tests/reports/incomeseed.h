#pragma once
// What the front desk would have written for the income tests: a doctor,
// 医师01, who prescribed medicine of two categories (西药 with a share row,
// 中成药 without) and services of two items (注射 with a share row, 换药
// without), and who performed services himself; around him rows of other
// people and of days outside the window that no figure may take in.
#include <QDate>
#include <QSqlDatabase>

#include "support/clinicfixture.h"

namespace IncomeSeed {
inline const QDate kFrom(2026, 12, 1);
inline const QDate kTo(2026, 12, 31);
inline const QDate kInside(2026, 12, 5);
inline const QDate kLater(2026, 12, 9);
inline const QDate kOutside(2027, 1, 2);

inline void Goods(const QSqlDatabase& db, const char* code, const char* name, const char* category) {
  ClinicFixture::InsertRow(db, "药品信息", {{"编号", code}, {"品名", name}, {"类别", category}, {"售价(元)", 1.0}});
}

inline void Share(const QSqlDatabase& db, const char* item, QVariant doctor, QVariant performer) {
  ClinicFixture::InsertRow(db, "比例分配表", {{"拼音缩写", "x"}, {"项目", item}, {"医生比例", doctor}, {"服务人比例", performer}});
}

inline void Staff(const QSqlDatabase& db, const QString& name, const char* duty) {
  ClinicFixture::InsertRow(db, "服务人", {{"姓名", name}, {"职务", duty}});
}

inline void Item(const QSqlDatabase& db, const char* item) {
  ClinicFixture::InsertRow(db, "服务项目", {{"拼音缩写", "x"}, {"服务项目", item}, {"项目单价(元)", 1.0}});
}

inline void Medicine(const QSqlDatabase& db, double serial, const char* code, const QDate& day, double quantity,
                     double price, const QString& doctor, const char* account = "acc01", const char* cashier = "收银01") {
  ClinicFixture::InsertRow(db, "出库信息",
                           {{"流水号", serial}, {"编号", code}, {"时间", day.toString(Qt::ISODate)}, {"数量", quantity},
                            {"单价(元)", price}, {"出库人帐号", "药房01"}, {"划价人帐号", account},
                            {"收银人帐号", cashier}, {"开方医师", doctor}, {"收费类别", "门诊"}});
}

inline void Service(const QSqlDatabase& db, double serial, const char* item, const QDate& day, double fee,
                    const QString& doctor, const QString& performer, const char* account = "acc01") {
  ClinicFixture::InsertRow(db, "服务信息",
                           {{"服务类别", item}, {"流水号", serial}, {"时间", day.toString(Qt::ISODate)},
                            {"服务费(元)", fee}, {"开方医师", doctor}, {"服务人", performer},
                            {"划价人帐号", account}, {"收费类别", "门诊"}});
}

inline void Visit(const QSqlDatabase& db, double serial, const char* patient, const QDate& day, double medicine,
                  double services, const char* account = "acc01", const char* cashier = "收银01") {
  ClinicFixture::InsertRow(db, "患者信息",
                           {{"收费类别", "门诊"}, {"流水号", serial}, {"姓名", patient},
                            {"时间", day.toString(Qt::ISODate)}, {"药费(元)", medicine}, {"服务费(元)", services},
                            {"划价人帐号", account}, {"收银人帐号", cashier}});
}

// 医师01 over the window: medicine 西药 20 (share 10%: 2.00) and 中成药 8
// (no share); prescribed 注射 15 + 25 (share 20%: 8.00) and 换药 10 (no
// share, dropped); performed 注射 30 (share 30%: 9.00) and 换药 5 (dropped).
inline void Seed(const QSqlDatabase& db) {
  Goods(db, "00001", "阿莫西林", "西药");
  Goods(db, "00002", "板蓝根", "中成药");
  Goods(db, "00003", "当归", "饮片");
  Share(db, "西药", 10.0, 0.0);
  Share(db, "注射", 20.0, 30.0);
  Staff(db, "医师01", "医师");
  Staff(db, "医师02", "医师");
  Staff(db, "护士01", "护士");
  Staff(db, "药房01", "药剂师");
  Item(db, "注射");
  Item(db, "换药");

  Medicine(db, 1, "00001", kInside, 2, 5.5, "医师01");
  Medicine(db, 2, "00001", kLater, 4, 2.25, "医师01");
  Medicine(db, 2, "00002", kLater, 1, 8, "医师01");
  Medicine(db, 3, "00001", kInside, 10, 1, "医师02");
  Medicine(db, 4, "00001", kOutside, 100, 1, "医师01");

  Service(db, 1, "注射", kInside, 15, "医师01", "护士01");
  Service(db, 2, "注射", kLater, 25, "医师01", "护士01");
  Service(db, 2, "换药", kLater, 10, "医师01", "护士01");
  Service(db, 3, "注射", kInside, 30, "医师02", "医师01");
  Service(db, 3, "换药", kInside, 5, "医师02", "医师01");
  Service(db, 4, "注射", kOutside, 99, "医师01", "医师01");

  Visit(db, 1, "张三", kInside, 11, 15);
  Visit(db, 2, "李四", kLater, 17, 35);
  Visit(db, 3, "王五", kInside, 10, 35, "acc01", "收银02");
}
}  // namespace IncomeSeed
