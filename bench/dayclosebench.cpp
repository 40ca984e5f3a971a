// Times the day close and the income reports on a clinic store of three
// busy years with a 1,000-visit day and 100 vouchers still at the cashier:
// each through the windows and postings, against the same statements run
// bare (every row read). dayclosebench [folder]; the folder keeps the
// generated store for the next run. PostgreSQL when BRIMWICK_BENCH_PG
// names a server.
#include <QApplication>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "platform/widgets.h"
#include "reports/cashincome.h"
#include "reports/cwzhbb.h"
#include "reports/dayclose.h"
#include "reports/jrdzbb.h"
#include "reports/reconciliationsums.h"
#include "reports/yyhzbb.h"

namespace {
// A day from the 25th on, so that the finance summary shows its month.
const QDate kDay(2026, 11, 27);
const int kCloseRuns = 9;
const int kReportRuns = 5;

struct SavedRows {
  QString table;
  QStringList columns;
  QString filter;
  QList<QVariantList> rows;
};

// The 100 unpaid visits, put back before each close so that every close
// voids the same work.
QList<SavedRows> SaveUnpaid(const QSqlDatabase& db) {
  QList<SavedRows> saved{
      {"收银信息", {"收费类别", "流水号", "姓名", "时间", "药费(元)", "服务费(元)", "划价人帐号"}, "", {}},
      {"临时出库信息",
       {"流水号", "编号", "时间", "数量", "单价(元)", "开方医师", "划价人帐号", "收银标志", "收费类别"},
       " where 收银标志 = '否'",
       {}},
      {"服务信息临时表",
       {"服务类别", "流水号", "时间", "服务费(元)", "开方医师", "服务人", "划价人帐号", "收费类别"},
       "",
       {}},
  };
  for (SavedRows& s : saved) {
    QStringList names;
    for (const QString& c : s.columns) names << QuotedName(c);
    s.rows = ReadAll(db, "select " + names.join(", ") + " from " + s.table + s.filter);
  }
  return saved;
}

void Restore(const QSqlDatabase& db, const QList<SavedRows>& saved) {
  BeginWrite(db);
  for (const SavedRows& s : saved) {
    QStringList names, marks;
    for (const QString& c : s.columns) {
      names << QuotedName(c);
      marks << "?";
    }
    const QString insert = "insert into " + s.table + " (" + names.join(", ") + ") values (" + marks.join(", ") + ")";
    for (const QVariantList& row : s.rows) Exec(db, insert, row);
  }
  CommitWrite(db);
}

void ReadRows(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
  QSqlQuery query = Exec(db, sql, values);
  const int columns = query.record().count();
  while (query.next())
    for (int i = 0; i < columns; ++i) query.value(i);
}

void BareSums(const QSqlDatabase& db, const QDate& first, const QDate& last, CashierOrder order) {
  for (const ReconciliationStatement& s : ReconciliationStatements(first, last, order)) ReadRows(db, s.sql, s.values);
}

void BareVoid(const QSqlDatabase& db) {
  for (const QString& statement : kVoidStatements) Exec(db, statement);
}

// Times the window's way and the bare way by turns, so that both meet the
// same load of a busy machine, each run after an untimed setup and after
// one warming run of each; returns the two medians in milliseconds.
std::pair<double, double> Compare(int runs, const std::function<void()>& setup, const std::function<void()>& window,
                                  const std::function<void()>& bare) {
  std::vector<double> windowTimes, bareTimes;
  for (int i = -1; i < runs; ++i) {
    for (auto [fn, times] : {std::pair{&window, &windowTimes}, std::pair{&bare, &bareTimes}}) {
      setup();
      QElapsedTimer timer;
      timer.start();
      (*fn)();
      if (i >= 0) times->push_back(timer.nsecsElapsed() / 1e6);
    }
  }
  std::sort(windowTimes.begin(), windowTimes.end());
  std::sort(bareTimes.begin(), bareTimes.end());
  return {windowTimes[windowTimes.size() / 2], bareTimes[bareTimes.size() / 2]};
}

struct Figure {
  QString what;
  std::pair<double, double> times;  // window, bare
  double limitMs;                   // 0: no limit of its own
};

const std::function<void()> kNoSetup = [] {};

template <class T>
T* Child(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromUtf8(name));
  if (!found) throw DbError(QString("no component ") + name);
  return found;
}

void SetYear(QWidget* window) {
  Child<QDateTimeEdit>(window, "DateTimePicker1")->setDate(kDay.addDays(-364));
  Child<QDateTimeEdit>(window, "DateTimePicker2")->setDate(kDay);
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  InstallPlatformDefaults();
  Clock::Set(QDateTime(kDay, QTime(17, 0)));
  // Every question is answered Yes; any other box would be a failure.
  QStringList boxes;
  Messages::InstallResponder([&](const MessageRecord& record) {
    if (!record.question) boxes << record.text;
    return true;
  });
  std::unique_ptr<QTemporaryDir> temporary;
  QString folder;
  if (argc > 1) {
    folder = QString::fromLocal8Bit(argv[1]);
  } else {
    temporary = std::make_unique<QTemporaryDir>();
    folder = temporary->path() + "/dayclose-3y";
  }
  ClinicHistoryScale scale;
  scale.lastDay = kDay;
  scale.todayVisits = 1000;
  scale.unpaidVouchers = 100;
  QElapsedTimer clock;
  clock.start();
  try {
    Connection store = OpenBenchStore(folder, scale, [&](const QString& step) {
      std::printf("%7.1f s  %s\n", clock.elapsed() / 1000.0, qPrintable(step));
      std::fflush(stdout);
    });
    const QSqlDatabase db = store.db();
    CreateMissingClinicIndexes(db);
    const QString engine = IsPostgres(db) ? "PostgreSQL" : "SQLite";
    std::printf("%s store ready after %.1f s: %s visits, %s dispensed lines, %s unpaid vouchers\n", qPrintable(engine),
                clock.elapsed() / 1000.0, qPrintable(ScalarText(db, "select count(*) from 患者信息")),
                qPrintable(ScalarText(db, "select count(*) from 出库信息")),
                qPrintable(UnpaidVisitCount(db)));
    const QList<SavedRows> unpaid = SaveUnpaid(db);
    QList<Figure> figures;

    // The whole close: void, re-sync, the thirteen sums into the grids and
    // boxes, as the button runs it, against its statements bare.
    TFormdzbb close;
    const auto closeTimes = Compare(
        kCloseRuns, [&] { Restore(db, unpaid); },
        [&] {
          QMetaObject::invokeMethod(&close, "BitBtn4Click");
          if (UnpaidVisitCount(db) != "0") throw DbError("the close left unpaid visits");
        },
        [&] {
          ReadRows(db, kCountUnpaidVisits);
          BeginWriteAlone(db, DayCloseTables());
          BareVoid(db);
          CommitWrite(db);
          ReadRows(db, kCountUnpaidVisits);
          ReadRows(db, kCountPaidUndispensed);
          BeginWriteAlone(db, DayCloseTables());
          ReadRows(db, kCountPaidUndispensed);
          BareVoid(db);
          Exec(db, kStockFromBatches);
          CommitWrite(db);
          BareSums(db, kDay, kDay, CashierOrder::ByDay);
        });
    figures.append({"day close (1,000 visits, 100 unpaid)", closeTimes, 1000});

    // Over one year.
    const QDate first = kDay.addDays(-364);
    TFormhzb period;
    SetYear(&period);
    figures.append({"period reconciliation + DBGrid7 click",
                    Compare(kReportRuns, kNoSetup,
                             [&] {
                               QMetaObject::invokeMethod(&period, "BitBtn3Click");
                               QMetaObject::invokeMethod(&period, "DBGrid7CellClick");
                             },
                             [&] {
                               const QVariantList days{DayText(first), DayText(kDay)};
                               BareSums(db, first, kDay, CashierOrder::ByCashier);
                               ReadRows(db, kPeriodIncomeByCashier, days);
                               ReadRows(db, kPeriodIncomeByPricingAccount, days);
                               ReadRows(db, kPeriodMedicineOfPricingAccount, days + QVariantList{"acc01"});
                             }),
                    0});

    const CashIncomeSheet sheet{IncomeKind::Outpatient, SheetOrigin::Period, first, kDay, "123456.78", "acc01"};
    figures.append({"cash income sheet",
                    Compare(kReportRuns, kNoSetup,
                             [&] {
                               RecordingCanvas canvas(600);
                               const QString error = DrawOn(canvas, CashIncomeSummaryPrint(db, sheet));
                               if (!error.isEmpty()) throw DbError(error);
                             },
                             [&] {
                               for (const char* category : {"西药", "中成药", "饮片"})
                                 ReadRows(db, kSheetMedicineOfCategory,
                                          {DayText(first), DayText(kDay), "门诊", QString::fromUtf8(category)});
                               for (const QVariantList& item : ReadAll(db, kSheetServiceItems))
                                 ReadRows(db, kSheetServiceOfItem,
                                          {DayText(first), DayText(kDay), "门诊", item.value(0).toString().trimmed()});
                             }),
                    0});

    TFormcwzhbb finance;
    SetYear(&finance);
    auto* doctors = Child<QListWidget>(&finance, "ListBox1");
    if (doctors->count() == 0) throw DbError("no doctor listed in the finance summary");
    doctors->setCurrentRow(0);
    const QString doctor = doctors->item(0)->text();
    const std::optional<MonthWindow> month = ReconciliationMonth(kDay);
    figures.append({"finance summary + ListBox1 click",
                    Compare(kReportRuns, kNoSetup,
                             [&] {
                               QMetaObject::invokeMethod(&finance, "BitBtn1Click");
                               doctors->setCurrentRow(0);
                               QMetaObject::invokeMethod(&finance, "ListBox1Click");
                             },
                             [&] {
                               const QVariantList days{DayText(first), DayText(kDay)};
                               ReadRows(db, kFinanceIncomeByDay, days);
                               ReadRows(db, kFinanceRows, days);
                               ReadRows(db, kFinanceIncomeOfCategory, days + QVariantList{"门诊"});
                               ReadRows(db, kFinanceIncomeOfCategory, days + QVariantList{"住院"});
                               ReadRows(db, kFinanceCashiers);
                               const QVariantList monthDays{DayText(month->first), DayText(month->last)};
                               ReadRows(db, kFinanceCashierTakings, monthDays + QVariantList{QString()});
                               ReadRows(db, kFinanceServicesPerformed, monthDays + QVariantList{doctor});
                               ReadRows(db, kFinanceServicesPrescribed, monthDays + QVariantList{doctor});
                               ReadRows(db, kFinanceMedicinePrescribed, monthDays + QVariantList{doctor});
                             }),
                    0});

    // Leave the store as it was generated: the vouchers back at the
    // cashier, their medicine priced away from the stock count.
    Restore(db, unpaid);
    Exec(db,
         "update 库存 set 数量 = 数量 - (select sum(l.数量) from 临时出库信息 as l where l.收银标志 = '否' and "
         "l.编号 = 库存.编号) where 编号 in (select 编号 from 临时出库信息 where 收银标志 = '否')");

    std::printf("\n%s, median of %d (close) or %d runs, window and bare by turns\n", qPrintable(engine), kCloseRuns, kReportRuns);
    std::printf("| what | window | bare | ratio |\n|---|---:|---:|---:|\n");
    bool met = true;
    for (const Figure& f : figures) {
      const auto [window, bare] = f.times;
      const double ratio = window / bare;
      const bool ok = ratio <= 1.3 && (f.limitMs == 0 || window <= f.limitMs);
      met = met && ok;
      std::printf("| %s | %.1f ms | %.1f ms | %.2f |%s\n", qPrintable(f.what), window, bare, ratio,
                  ok ? "" : "  <- over the limit");
    }
    if (!boxes.isEmpty()) {
      std::printf("unexpected messages: %s\n", qPrintable(boxes.join(" / ")));
      return 1;
    }
    return met ? 0 : 3;
  } catch (const DbError& e) {
    std::fprintf(stderr, "dayclosebench: %s\n", qPrintable(e.text()));
    return 1;
  }
}
