#pragma once
// A desk's busy round for the tests that run several desks, or a desk that
// is killed, against one store: price a visit, settle and dispense what
// any desk left waiting. And what the store must still hold afterwards.
#include <QRandomGenerator>

#include "db/clinicdb.h"
#include "frontdesk/deskseed.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/patientreturnposting.h"
#include "frontdesk/pricing.h"
#include "frontdesk/settlement.h"
#include "frontdesk/visitserial.h"

namespace DeskWork {
using DeskSeed::Goods;

inline const QDate kDay(2026, 12, 7);

// Plenty of two goods and little of the third, so that desks also meet
// at zero.
inline QList<Goods> BusyGoods() {
  return {{"2001", "复方甘草片", "FFGCP", 1.5,
           {{"a1", 2000, "2024-01-01"}, {"a2", 1500, "2024-02-01"}, {"a3", 1500, "2024-03-01"}}},
          {"2002", "维生素C片", "WSSCP", 0.8, {{"b1", 0.5, "2024-01-01"}, {"b2", 3000, "2024-05-01"}}},
          {"2003", "感冒灵颗粒", "GMLKL", 3.2, {{"c1", 12, "2024-01-01"}, {"c2", 6.5, "2024-04-01"}}}};
}

struct Tally {
  int postings = 0, visits = 0, settled = 0, dispensed = 0, refusedStock = 0, failed = 0, lostRaces = 0,
      shortBatches = 0, visitTaken = 0, sharedSerials = 0, pricedAgain = 0, returns = 0, commits = 0;
  QStringList failures;
  // Each visit a desk started, by "serial|account": the patient's name and
  // its lines as the desk priced them, by "code|price of its first
  // pricing": goods priced again add to their line at its own price.
  QMap<QString, QString> names;
  QMap<QString, QMap<QString, double>> lines;
  // Each settlement made: "serial|account|cashier" of the voucher picked.
  QStringList picks;

  void Fail(const QString& failure) {
    ++failed;
    if (failures.size() < 5) failures << failure;
  }
  void Add(const Tally& other) {
    visits += other.visits;
    settled += other.settled;
    dispensed += other.dispensed;
    refusedStock += other.refusedStock;
    failed += other.failed;
    lostRaces += other.lostRaces;
    shortBatches += other.shortBatches;
    postings += other.postings;
    visitTaken += other.visitTaken;
    failures << other.failures;
    sharedSerials += other.sharedSerials;
    pricedAgain += other.pricedAgain;
    returns += other.returns;
    commits += other.commits;
    for (auto it = other.names.cbegin(); it != other.names.cend(); ++it)
      if (names.contains(it.key())) ++sharedSerials;
    names.insert(other.names);
    lines.insert(other.lines);
    picks << other.picks;
  }
};

struct Desk {
  QString account, cashier, pharmacist;
};

inline QString KeyText(const VisitKey& key) { return QString::number(qint64(key.serial)) + '|' + key.account; }

// Now and then part of a dispensed line of any visit comes back to one of
// its goods' batches, addressed by the line's own row, and the desk's
// staged returns of that visit are committed. Another desk returning the
// same line first is a lost race.
inline void ReturnPart(const QSqlDatabase& db, const Desk& desk, QRandomGenerator& random, Tally& tally) {
  if (random.bounded(2) != 0) return;
  const QList<QVariantList> dispensed =
      ReadAll(db, "select " + DispensedLineRowId(db) + ", 流水号, 划价人帐号, 编号, 数量 from 出库信息 where 数量 > 0.05");
  if (dispensed.isEmpty()) return;
  const QVariantList& line = dispensed[random.bounded(dispensed.size())];
  const VisitKey visit{line[1].toDouble(), line[2].toString().trimmed()};
  const QString code = line[3].toString().trimmed();
  const int tenths = qRound(line[4].toDouble() * 10);
  QString batch;
  for (const Goods& goods : BusyGoods())
    if (code == goods.code) batch = std::get<0>(goods.batches[random.bounded(goods.batches.size())]);
  const QString quantity = QString::number((1 + random.bounded(tenths)) / 10.0);
  QString failure;
  ++tally.postings;
  const ReturnOutcome outcome =
      ReturnDispensedLine(db, {visit, code, batch, quantity, "730", kDay, kDay, desk.pharmacist, line[0]}, &failure);
  if (outcome == ReturnOutcome::Done)
    ++tally.returns;
  else if (outcome == ReturnOutcome::Failed && failure == QLatin1String("refused"))
    ++tally.lostRaces;  // the line changed or fell short under another desk's return
  else
    tally.Fail(failure);
  if (random.bounded(2) != 0) return;
  ++tally.postings;
  failure.clear();
  if (CommitPatientReturn(db, visit, desk.pharmacist, kDay, nullptr, &failure))
    ++tally.commits;
  else if (failure != QLatin1String("refused"))  // nothing of the desk's staged for the visit
    tally.Fail(failure);
}

// Prices a visit of one to four lines (now and then taking one back), each
// goods at a price of its own, and makes its voucher; then settles one
// waiting voucher, dispenses one queued visit, of any desk, and may take
// part of a dispensed line back. A day close may void the visit at any
// point: the desk is refused from then on.
inline void Round(const QSqlDatabase& db, const Desk& desk, QRandomGenerator& random, Tally& tally) {
  const QList<Goods> goods = BusyGoods();
  VisitKey key{0, desk.account};
  try {
    key.serial = double(NextVisitSerial(db, desk.account));
  } catch (const DbError& error) {
    tally.Fail(error.text());
    return;
  }
  const QString visit = KeyText(key);
  if (tally.names.contains(visit)) ++tally.sharedSerials;
  const QString name = QStringLiteral("患者%1-%2").arg(desk.cashier).arg(tally.names.size());
  tally.names[visit] = name;
  QMap<QString, double>& recorded = tally.lines[visit];
  QMap<QString, double> lines;
  QMap<QString, double> firstPrice;
  bool open = true;
  const auto refusedAsVoided = [&](PricingResult result, const QString& failure) {
    if (result == PricingResult::VisitTaken || result == PricingResult::NoLine) {
      ++tally.visitTaken;
      open = false;
    } else {
      tally.Fail(failure);
    }
  };
  // Goods are priced again, after other goods, with another price typed
  // or (as the pricing window does) with none.
  for (int n = 1 + random.bounded(4); n > 0 && open; --n) {
    const QString code = goods[random.bounded(goods.size())].code;
    const double quantity = (1 + random.bounded(40)) / 10.0;
    std::optional<double> price = (1 + random.bounded(99)) / 10.0;
    const bool again = lines.contains(code);
    if (again && random.bounded(2) == 0) price.reset();
    QString failure;
    ++tally.postings;
    switch (const PricingResult result =
                AddPricedLine(db, key, {code, quantity, price, "周文涛", "门诊", kDay}, lines.isEmpty(), &failure)) {
      case PricingResult::Done:
        if (again)
          ++tally.pricedAgain;
        else
          firstPrice[code] = *price;
        lines[code] += quantity;
        recorded[code + '|' + QString::number(firstPrice[code])] += quantity;
        break;
      case PricingResult::ShortStock: ++tally.refusedStock; break;
      default: refusedAsVoided(result, failure);
    }
  }
  if (open && lines.size() > 1 && random.bounded(4) == 0) {
    const QString code = lines.firstKey();
    QString failure;
    ++tally.postings;
    const PricingResult removed = RemovePricedLine(db, key, code, &failure);
    if (removed == PricingResult::Done) {
      lines.remove(code);
      for (auto it = recorded.begin(); it != recorded.end();)
        it = it.key().startsWith(code + '|') ? recorded.erase(it) : std::next(it);
    } else {
      refusedAsVoided(removed, failure);
    }
  }
  if (open && !lines.isEmpty()) {
    QString failure;
    ++tally.postings;
    const PricingResult made = MakeVoucher(db, key, name, "门诊", kDay, &failure);
    if (made == PricingResult::Done)
      ++tally.visits;
    else
      refusedAsVoided(made, failure);
  }
  const QList<QVariantList> vouchers = ReadAll(db, "select 流水号, 划价人帐号 from 收银信息");
  QVariantList settled;
  if (!vouchers.isEmpty()) {
    const QVariantList& pick = vouchers[random.bounded(vouchers.size())];
    const VisitKey voucher{pick[0].toDouble(), pick[1].toString().trimmed()};
    ++tally.postings;
    if (SettleVoucher(db, voucher, desk.cashier, kDay, 1e6) == SettlementResult::Settled) {
      ++tally.settled;
      tally.picks << KeyText(voucher) + '|' + desk.cashier;
      settled = pick;
    } else {
      ++tally.lostRaces;
    }
  }
  // The visit just settled, as its patient walks over; else any waiting.
  const QList<QVariantList> queue =
      settled.isEmpty() ? ReadAll(db, "select 流水号, 划价人帐号 from 出库患者信息") : QList<QVariantList>{settled};
  if (!queue.isEmpty()) {
    const QVariantList& pick = queue[random.bounded(queue.size())];
    QString failure;
    ++tally.postings;
    switch (DispenseVisit(db, {pick[0].toDouble(), pick[1].toString().trimmed()}, desk.pharmacist, &failure)) {
      case DispensingResult::Dispensed: ++tally.dispensed; break;
      case DispensingResult::NotQueued: ++tally.lostRaces; break;
      // What was priced is always on the shelves: a short batch is a fault.
      case DispensingResult::ShortBatches:
      case DispensingResult::ExpiredStock: ++tally.shortBatches; [[fallthrough]];
      case DispensingResult::Failed: tally.Fail(failure); break;
    }
  }
  ReturnPart(db, desk, random, tally);
}

// What the visits must hold against what their desks did: each voucher and
// paid visit is its own patient's, with exactly the lines (goods, price,
// quantity) its desk priced, or nothing at all when a close voided it;
// each paid visit was settled once, as a cashier picked it; each dispensed
// line names its cashier.
inline QStringList VisitFaults(const QSqlDatabase& db, const Tally& tally) {
  QStringList faults;
  const QString key = QStringLiteral("cast(cast(流水号 as integer) as text) || '|' || 划价人帐号");
  for (const char* table : {"收银信息", "患者信息"})
    for (const QVariantList& row : ReadAll(db, "select " + key + ", 姓名 from " + table))
      if (tally.names.value(row[0].toString()) != row[1].toString().trimmed())
        faults << QStringLiteral("%1 holds %2 under another patient's visit %3").arg(table, row[1].toString(),
                                                                                   row[0].toString());
  // What was priced: what the lines hold, and what returns took back.
  QMap<QString, QMap<QString, double>> stored;
  for (const char* table : {"临时出库信息", "出库信息", "退药临时信息", "退药信息"})
    for (const QVariantList& row : ReadAll(db, "select " + key + ", 编号, \"单价(元)\", 数量 from " + table))
      stored[row[0].toString()][row[1].toString().trimmed() + '|' + QString::number(row[2].toDouble())] +=
          row[3].toDouble();
  for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
    const QMap<QString, double> priced = tally.lines.value(it.key());
    bool same = priced.keys() == it.value().keys();
    for (auto line = priced.cbegin(); same && line != priced.cend(); ++line)
      same = qAbs(line.value() - it.value().value(line.key())) < 1e-6;
    if (!same) faults << QStringLiteral("visit %1 holds lines other than its desk priced").arg(it.key());
  }
  QStringList paid;
  for (const QVariantList& row : ReadAll(db, "select " + key + " || '|' || 收银人帐号 from 患者信息"))
    paid << row[0].toString();
  QStringList picks = tally.picks;
  paid.sort();
  picks.sort();
  if (paid != picks) faults << QStringLiteral("paid visits other than the cashiers picked and settled");
  if (!ReadAll(db, "select 编号 from 出库信息 where coalesce(收银人帐号, '') = ''").isEmpty())
    faults << QStringLiteral("a dispensed line without its cashier");
  return faults;
}

inline QMap<QString, double> SumByCode(const QSqlDatabase& db, const QString& table) {
  QMap<QString, double> sums;
  for (const QVariantList& row : ReadAll(db, "select 编号, sum(数量) from " + table + " group by 编号"))
    sums[row[0].toString().trimmed()] = row[1].toDouble();
  return sums;
}

// What the store must hold whatever happened to the desks, as the texts
// of the rules it breaks (none, when whole).
inline QStringList BrokenRules(const QSqlDatabase& db) {
  QList<QPair<const char*, QString>> noRows{
      {"a stock row below zero", "select 编号 from 库存 where 数量 < -1e-6"},
      {"a batch below zero", "select 编号 from 药品过期表 where 数量 < -1e-6"},
      {"a visit settled twice", "select 流水号 from 患者信息 group by 流水号, 划价人帐号 having count(*) > 1"},
      {"two priced lines of one goods in a visit",
       "select 流水号 from 临时出库信息 group by 流水号, 划价人帐号, 编号 having count(*) > 1"},
      {"two dispensed lines of one goods in a visit, or a line dispensed twice",
       "select 流水号 from 出库信息 group by 流水号, 划价人帐号, 编号 having count(*) > 1"},
      {"a voucher both waiting and paid",
       "select v.流水号 from 收银信息 as v, 患者信息 as p where v.流水号 = p.流水号 and v.划价人帐号 = p.划价人帐号"},
      {"a queued visit without paid lines, or partly dispensed",
       "select q.流水号 from 出库患者信息 as q where not exists (select 1 from 临时出库信息 as l where "
       "l.流水号 = q.流水号 and l.划价人帐号 = q.划价人帐号 and l.收银标志 = '是') or exists (select 1 from 出库信息 "
       "as o where o.流水号 = q.流水号 and o.划价人帐号 = q.划价人帐号)"},
      {"a paid line neither queued nor of a paid visit",
       "select l.流水号 from 临时出库信息 as l where l.收银标志 = '是' and (not exists (select 1 from 出库患者信息 "
       "as q where q.流水号 = l.流水号 and q.划价人帐号 = l.划价人帐号) or not exists (select 1 from 患者信息 as p "
       "where p.流水号 = l.流水号 and p.划价人帐号 = l.划价人帐号))"},
      {"an unpaid line of a paid visit",
       "select l.流水号 from 临时出库信息 as l, 患者信息 as p where l.收银标志 = '否' and p.流水号 = l.流水号 and "
       "p.划价人帐号 = l.划价人帐号"},
      {"a dispensed line with lines left or no paid visit",
       "select o.流水号 from 出库信息 as o where exists (select 1 from 临时出库信息 as l where l.流水号 = o.流水号 "
       "and l.划价人帐号 = o.划价人帐号) or not exists (select 1 from 患者信息 as p where p.流水号 = o.流水号 and "
       "p.划价人帐号 = o.划价人帐号)"},
      {"a paid medicine fee other than the sum of its lines and of the returns still staged",
       "select p.流水号 from 患者信息 as p where abs(\"药费(元)\" - (select coalesce(sum(\"总价(元)\"), 0) from "
       "出库信息 as o where o.流水号 = p.流水号 and o.划价人帐号 = p.划价人帐号) - (select coalesce(sum(\"总价(元)\"), "
       "0) from 临时出库信息 as l where l.流水号 = p.流水号 and l.划价人帐号 = p.划价人帐号) - (select "
       "coalesce(sum(\"总价(元)\"), 0) from 退药临时信息 as t where t.流水号 = p.流水号 and t.划价人帐号 = p.划价人帐号)) "
       "> 0.0051"},
      {"a waiting voucher other than the sum of its lines",
       "select v.流水号 from 收银信息 as v where abs(\"药费(元)\" - (select coalesce(sum(\"总价(元)\"), 0) from "
       "临时出库信息 as l where l.流水号 = v.流水号 and l.划价人帐号 = v.划价人帐号)) > 0.0051"},
      {"a medicine fee below 0",
       "select 流水号 from 收银信息 where \"药费(元)\" < -0.0051 union all "
       "select 流水号 from 患者信息 where \"药费(元)\" < -0.0051"},
  };
  // Every return refunds its quantity at its own line's price.
  for (const char* returns : {"退药临时信息", "退药信息"})
    noRows.append({"a return refunded other than at its line's price",
                   QStringLiteral("select t.流水号 from %1 as t where abs(t.\"总价(元)\" - t.数量 * t.\"单价(元)\") > 1e-6 "
                                  "or not exists (select 1 from 出库信息 as o where o.流水号 = t.流水号 and "
                                  "o.划价人帐号 = t.划价人帐号 and o.编号 = t.编号 and o.\"单价(元)\" = t.\"单价(元)\")")
                       .arg(QString::fromUtf8(returns))});
  QStringList broken;
  for (const auto& [rule, sql] : noRows)
    if (!ReadAll(db, sql).isEmpty()) broken << QString::fromUtf8(rule);
  const QMap<QString, double> stock = SumByCode(db, "库存");
  const QMap<QString, double> batches = SumByCode(db, "药品过期表");
  const QMap<QString, double> open = SumByCode(db, "临时出库信息");
  for (auto it = batches.cbegin(); it != batches.cend(); ++it)
    if (qAbs(stock[it.key()] + open[it.key()] - it.value()) > 1e-6)
      broken << QStringLiteral("stock and open lines of %1 other than its batches").arg(it.key());
  return broken;
}
}  // namespace DeskWork
