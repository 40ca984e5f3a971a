#pragma once
// A clinic store at the scale of busy years, for the clinic benchmarks: the
// goods with their batches and receipts, the staff and service items, and a
// history of paid, dispensed visits with their service lines, as the desks
// would have left them. Every clinic benchmark fills its store with this
// one generator, so their figures speak of the same clinic.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>

#include "db/connection.h"

struct ClinicHistoryScale {
  int paidVisits = 300000;       // 患者信息 rows over the history
  int dispensedLines = 1200000;  // 出库信息 rows, spread over the visits
  int serviceLines = 600000;     // 服务信息 rows, spread over the visits
  int batches = 20000;           // 药品过期表 rows, each with its 入库信息 receipt
  int goods = 2000;              // 药品信息 rows, each with its 库存 row
  int staff = 30;                // 服务人: 医师, 化验师, 护士
  int serviceItems = 60;         // 服务项目, each with its 比例分配表 row
  int days = 3 * 365;            // the history's length, ending on lastDay
  QDate lastDay;                 // invalid: Clock::today()
  int todayVisits = 0;           // further paid visits dated lastDay
  int unpaidVouchers = 0;        // priced visits still waiting at the cashier
  int suppliesRows = 0;          // 卫材入库历史记录表 and 卫材出库表, each
  int patientReturns = 0;        // 退药信息 and 服务费退还信息 rows, each
  int supplierReturns = 0;       // 药品反库信息
  int writeOffs = 0;             // 药品报损信息
  int inpatients = 0;            // 入院信息表 with their deposit ledger rows

  // Every count times factor, the catalogue and staff included (a clinic
  // ten times as old has the same goods: those stay).
  ClinicHistoryScale Times(double factor) const;
};

// The report benchmarks' one store: three busy years ending on a fixed day
// from the 25th of a month on (the finance summary then shows its month),
// with a 1,000-visit day, 100 vouchers still at the cashier, supplies,
// returns, corrections and inpatients. factor stretches the history; the
// day's visits and vouchers stay, as a clinic ten times as old still sees
// as many patients a day.
ClinicHistoryScale ReportBenchScale(double factor);

// Fills a freshly made, empty clinic store. Deterministic: the same scale
// gives the same rows. Accounts "acc01".."acc08" price; "收银01".."收银04"
// settle; "药房01".."药房03" dispense; staff are "医师01".., "化验师01"..,
// "护士01"..; goods codes are five digits from "00001", in the categories
// 西药, 中成药 and 饮片; serials of each pricing account grow with the day;
// 收费类别 is mostly 门诊, some 住院 and 职工用药. 库存 of a goods is the sum
// of its batches less what unpaid vouchers priced.
void GenerateClinicHistory(const QSqlDatabase& db, const ClinicHistoryScale& scale,
                           const std::function<void(const QString&)>& progress = {});

// The benchmark's store of that scale, generated on first use and kept:
// the SQLite file in folder (made when missing), or, when the environment
// variable BRIMWICK_BENCH_PG names a PostgreSQL server, a database on it
// named after the folder's last component (made when missing). Points the
// program's clinic store at it (BRIMWICK_DATA_DIR, BRIMWICK_CLINIC_SERVER),
// so windows opened afterwards use it too. A folder holds one scale: name
// it after the scale.
Connection OpenBenchStore(const QString& folder, const ClinicHistoryScale& scale,
                          const std::function<void(const QString&)>& progress = {});

// The last day a table of the benchmark store holds a row of (its visits,
// 患者信息, by default).
QDate LastStoreDay(const QSqlDatabase& db, const QString& table = QStringLiteral("患者信息"));

// Runs fn at least runs times (and for at least a quarter second) and
// returns the median wall time in milliseconds.
double MedianMs(int runs, const std::function<void()>& fn);
