#pragma once
// What the pharmacy's own rows must say after any mix of returns, refunds,
// stagings and confirms, however they interleaved or were cut short: no
// quantity or fee below zero, every stock figure moved by exactly what the
// staged and committed rows record, one row per batch.
#include <QMap>
#include <QSqlDatabase>
#include <QStringList>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"

namespace ClinicLedger {
// Sums keyed by text, read from a select of (key, number) rows.
inline QMap<QString, double> Sums(const QSqlDatabase& db, const QString& sql) {
  QMap<QString, double> sums;
  for (const QVariantList& row : ReadAll(db, sql)) sums[row[0].toString().trimmed()] += row[1].toDouble();
  return sums;
}

// The figures the invariants compare, read once before and once after.
struct Figures {
  QMap<QString, double> stock;       // 库存 by code
  QMap<QString, double> batches;     // 药品过期表 by code|batch
  QMap<QString, double> receipts;    // 入库信息 by code|batch
  QMap<QString, double> dispensed;   // 出库信息 by serial|account|code
  QMap<QString, double> fees;        // 服务信息 by serial|account
  QMap<QString, double> visitDrugs;  // 患者信息 药费 by serial|account
  QMap<QString, double> visitFees;   // 患者信息 服务费 by serial|account
  QMap<QString, double> returned;    // staged and committed returns by code
  QMap<QString, double> returnedToBatch;  // the same by code|batch
  QMap<QString, double> returnedFromLine; // the same by serial|account|code
  QMap<QString, double> refunded;    // staged and committed refunds by serial|account
  QMap<QString, double> committedDrugs;   // 退药信息 totals by serial|account
  QMap<QString, double> committedFees;    // 服务费退还信息 by serial|account
  QMap<QString, double> corrected;        // staged and confirmed corrections by code
  QMap<QString, double> correctedBatch;   // the same by code|batch
  QMap<QString, double> supplierReturned; // returns to the supplier by code|batch
  double booked = 0;                      // 住院患者押金表 退方存入
  int duplicateBatches = 0;
  double lowest = 0;                      // the lowest quantity or fee anywhere
};

inline Figures Read(const QSqlDatabase& db) {
  const QString visit = QStringLiteral("cast(cast(流水号 as integer) as text) || '|' || 划价人帐号");
  Figures f;
  f.stock = Sums(db, "select 编号, 数量 from 库存");
  f.batches = Sums(db, "select 编号 || '|' || 药品批号, 数量 from 药品过期表");
  f.receipts = Sums(db, "select 编号 || '|' || 药品批号, 数量 from 入库信息");
  f.dispensed = Sums(db, "select " + visit + " || '|' || 编号, 数量 from 出库信息");
  f.fees = Sums(db, "select " + visit + R"~(, "服务费(元)" from 服务信息)~");
  f.visitDrugs = Sums(db, "select " + visit + R"~(, "药费(元)" from 患者信息)~");
  f.visitFees = Sums(db, "select " + visit + R"~(, "服务费(元)" from 患者信息)~");
  for (const QString& table : {QStringLiteral("退药临时信息"), QStringLiteral("退药信息")}) {
    for (auto [k, v] : Sums(db, "select 编号, 数量 from " + table).asKeyValueRange()) f.returned[k] += v;
    for (auto [k, v] : Sums(db, "select 编号 || '|' || 批号, 数量 from " + table).asKeyValueRange())
      f.returnedToBatch[k] += v;
    for (auto [k, v] : Sums(db, "select " + visit + " || '|' || 编号, 数量 from " + table).asKeyValueRange())
      f.returnedFromLine[k] += v;
  }
  for (const QString& table : {QStringLiteral("服务费退还临时信息"), QStringLiteral("服务费退还信息")})
    for (auto [k, v] : Sums(db, "select " + visit + R"~(, "服务费(元)" from )~" + table).asKeyValueRange())
      f.refunded[k] += v;
  f.committedDrugs = Sums(db, "select " + visit + R"~(, "总价(元)" from 退药信息)~");
  f.committedFees = Sums(db, "select " + visit + R"~(, "服务费(元)" from 服务费退还信息)~");
  for (const QString& table : {QStringLiteral("临时反库信息"), QStringLiteral("药品反库信息"),
                               QStringLiteral("药品报损临时信息"), QStringLiteral("药品报损信息")}) {
    for (auto [k, v] : Sums(db, "select 编号, 数量 from " + table).asKeyValueRange()) f.corrected[k] += v;
    for (auto [k, v] : Sums(db, "select 编号 || '|' || 药品批号, 数量 from " + table).asKeyValueRange()) {
      f.correctedBatch[k] += v;
      if (table.contains(QStringLiteral("反库"))) f.supplierReturned[k] += v;
    }
  }
  f.booked = ScalarText(db, "select coalesce(sum(金额), 0) from 住院患者押金表 where 收费类别 = '退方存入'").toDouble();
  f.duplicateBatches =
      ScalarText(db, "select count(*) from (select 编号 from 药品过期表 group by 编号, 药品批号 having count(*) > 1) as d")
          .toInt();
  for (const char* sql : {"select min(数量) from 库存", "select min(数量) from 药品过期表", "select min(数量) from 入库信息",
                          "select min(数量) from 出库信息", R"~(select min("服务费(元)") from 服务信息)~"})
    f.lowest = qMin(f.lowest, ScalarText(db, sql).toDouble());
  return f;
}

// Every difference between what the rows say and what they must say, as
// readable lines; empty when everything holds.
inline QStringList Faults(const Figures& before, const Figures& after) {
  QStringList faults;
  const double tolerance = 1e-6;
  auto check = [&](const QString& what, double actual, double expected) {
    if (qAbs(actual - expected) > tolerance)
      faults << QStringLiteral("%1: %2, expected %3").arg(what).arg(actual, 0, 'g', 12).arg(expected, 0, 'g', 12);
  };
  if (after.lowest < -kQuantityTolerance) faults << QStringLiteral("a quantity or fee below zero: %1").arg(after.lowest);
  if (after.duplicateBatches) faults << QStringLiteral("%1 batches twice").arg(after.duplicateBatches);
  for (const QString& code : before.stock.keys())
    check("库存 " + code, after.stock.value(code),
          before.stock[code] + after.returned.value(code) - after.corrected.value(code));
  QStringList batches = before.batches.keys() + after.batches.keys() + after.returnedToBatch.keys();
  batches.removeDuplicates();
  for (const QString& batch : batches)
    check("batch " + batch, after.batches.value(batch),
          before.batches.value(batch) + after.returnedToBatch.value(batch) - after.correctedBatch.value(batch));
  for (const QString& batch : before.receipts.keys())
    check("receipts " + batch, after.receipts.value(batch),
          before.receipts[batch] - after.supplierReturned.value(batch));
  for (const QString& line : before.dispensed.keys())
    check("出库信息 " + line, after.dispensed.value(line), before.dispensed[line] - after.returnedFromLine.value(line));
  for (const QString& visit : before.fees.keys())
    check("服务信息 " + visit, after.fees.value(visit), before.fees[visit] - after.refunded.value(visit));
  double committed = 0;
  for (const QString& visit : before.visitDrugs.keys()) {
    check("药费 " + visit, after.visitDrugs.value(visit),
          before.visitDrugs[visit] - after.committedDrugs.value(visit));
    check("服务费 " + visit, after.visitFees.value(visit), before.visitFees[visit] - after.committedFees.value(visit));
    committed += after.committedDrugs.value(visit) + after.committedFees.value(visit);
  }
  if (qAbs(after.booked - committed) > 0.01 * (after.committedDrugs.size() + after.committedFees.size() + 1))
    faults << QStringLiteral("booked %1 for %2 committed").arg(after.booked).arg(committed);
  return faults;
}
}  // namespace ClinicLedger
