// Times the day close and the income reports on the report benchmarks'
// store (three busy years, or factor times as many, with a 1,000-visit day
// and 100 vouchers still at the cashier): each through the windows and
// postings, against the statements they ran before their indexes and the
// best found, both bare through the engine's C interface (every row read);
// and the close's postings on the store and on its twin with the earlier
// indexes, by turns.
// dayclosebench [folder] [factor]; the folder keeps the generated store for
// the next run. PostgreSQL when BRIMWICK_BENCH_PG names a server.
#include <QApplication>
#include <QDateTimeEdit>
#include <QListWidget>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "bench/bare.h"
#include "bench/beforeindexes.h"
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
// The store's last day, from the 25th on, so that the finance summary
// shows its month.
const QDate kDay = ReportBenchScale(1).lastDay;
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

// Puts the vouchers back as they were saved: those still there (the first
// time, all of them) give way first, so that each key is there once.
void Restore(const QSqlDatabase& db, const QList<SavedRows>& saved) {
  BeginWrite(db);
  for (const SavedRows& s : saved) Exec(db, "delete from " + s.table + s.filter);
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

// The sums as the window runs them, or as they ran before their indexes.
QList<BareStatement> Sums(const QDate& first, const QDate& last, CashierOrder order, bool today) {
  QList<BareStatement> statements;
  for (const ReconciliationStatement& s : ReconciliationStatements(first, last, order))
    statements.append({today ? TodaysStatement(s.sql) : s.sql, s.values});
  return statements;
}

QList<BareStatement> Today(QList<BareStatement> statements) {
  for (BareStatement& s : statements) s.sql = TodaysStatement(s.sql);
  return statements;
}

template <class T>
T* Child(QWidget* window, const char* name) {
  T* found = window->findChild<T*>(QString::fromUtf8(name));
  if (!found) throw DbError(QString("no component ") + name);
  return found;
}

// The close as the clerk posts it (the void, the close, its confirmation),
// on the store and on its twin with the earlier indexes by turns, each
// run on the same vouchers put back; and of it the statistics' refresh the
// confirmation runs.
QList<PostingTimes> ClosePostings(const QSqlDatabase& db, const StoreBeforeReportIndexes& twin,
                                  const QList<SavedRows>& unpaid, const QString& pass) {
  const auto close = [&](const QSqlDatabase& store) {
    if (!VoidUnpaidVisits(store) || DayClose(store).outcome != DayCloseResult::Closed ||
        !ConfirmDayClose(store, true, kDay))
      throw DbError("the day close failed");
  };
  return {PostingByTurns("void, close and confirm (1,000 visits, 100 unpaid)" + pass, 15, db, twin, close,
                         [&](const QSqlDatabase& store) { Restore(store, unpaid); }),
          PostingByTurns("of it, the confirmation's statistics refresh" + pass, 15, db, twin,
                         [](const QSqlDatabase& store) { RefreshPlannerStatistics(store); })};
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
    folder = temporary->path() + "/report-x1";
  }
  const double factor = argc > 2 ? QString::fromUtf8(argv[2]).toDouble() : 1.0;
  const auto progress = TimedProgress();
  try {
    OpenBenchStore(folder, ReportBenchScale(factor), progress);
    // The twin is copied from the store with no connection open on it.
    const StoreBeforeReportIndexes twin;
    Connection store = OpenClinicStore();
    const QSqlDatabase db = store.db();
    BareStore bare;
    const QString engine = IsPostgres(db) ? "PostgreSQL" : "SQLite";
    const QString visits = ScalarText(db, "select count(*) from 患者信息");
    progress(QString("%1 store ready: %2 visits, %3 dispensed lines, %4 unpaid vouchers")
                 .arg(engine, visits, ScalarText(db, "select count(*) from 出库信息"), UnpaidVisitCount(db)));
    const QList<SavedRows> unpaid = SaveUnpaid(db);
    QList<Comparison> figures;

    // The whole close: void, re-sync, the thirteen sums into the grids and
    // boxes, as the button runs it, against its statements bare.
    const QString lockTables =
        bare.postgres() ? "lock table " + DayCloseTables().join(", ") + " in share row exclusive mode" : QString();
    const auto bareClose = [&](bool today) {
      const auto begin = [&] {
        bare.Run(bare.postgres() ? "begin" : "begin immediate");
        if (bare.postgres()) bare.Run(lockTables);
      };
      bare.Run(kCountUnpaidVisits);
      begin();
      for (const QString& statement : kVoidStatements) bare.Run(statement);
      bare.Run("commit");
      bare.Run(kCountUnpaidVisits);
      bare.Run(kCountPaidUndispensed);
      begin();
      bare.Run(kCountPaidUndispensed);
      for (const QString& statement : kVoidStatements) bare.Run(statement);
      bare.Run(kStockFromBatches);
      bare.Run("commit");
      RunAll(bare, Sums(kDay, kDay, CashierOrder::ByDay, today));
    };
    TFormdzbb close;
    figures.append(CompareByTurns(
        "day close (1,000 visits, 100 unpaid)", kCloseRuns, [&] { bareClose(true); },
        [&] {
          QMetaObject::invokeMethod(&close, "BitBtn4Click");
          if (UnpaidVisitCount(db) != "0") throw DbError("the close left unpaid visits");
        },
        [&] { bareClose(false); }, [&] { Restore(db, unpaid); }));

    // Over one year.
    const QDate first = kDay.addDays(-364);
    const QVariantList days{DayText(first), DayText(kDay)};
    TFormhzb period;
    SetYear(&period);
    const auto periodStatements = [&](bool today) {
      QList<BareStatement> statements = Sums(first, kDay, CashierOrder::ByCashier, today);
      QList<BareStatement> own{{kPeriodIncomeByCashier, days},
                               {kPeriodIncomeByPricingAccount, days},
                               {kPeriodMedicineOfPricingAccount, days + QVariantList{"acc01"}}};
      return statements + (today ? Today(own) : own);
    };
    figures.append(CompareByTurns(
        "period reconciliation + DBGrid7 click, one year", kReportRuns,
        [&] { RunAll(bare, periodStatements(true)); },
        [&] {
          QMetaObject::invokeMethod(&period, "BitBtn3Click");
          QMetaObject::invokeMethod(&period, "DBGrid7CellClick");
        },
        [&] { RunAll(bare, periodStatements(false)); }));

    const CashIncomeSheet sheet{IncomeKind::Outpatient, SheetOrigin::Period, first, kDay, "123456.78", "acc01"};
    QList<BareStatement> sheetStatements;
    for (const char* category : {"西药", "中成药", "饮片"})
      sheetStatements.append({kSheetMedicineOfCategory, days + QVariantList{"门诊", QString::fromUtf8(category)}});
    for (const QVariantList& item : ReadAll(db, kSheetServiceItems))
      sheetStatements.append({kSheetServiceOfItem, days + QVariantList{"门诊", item.value(0).toString().trimmed()}});
    figures.append(CompareByTurns(
        "cash income sheet, one year", kReportRuns,
        [&] {
          bare.Run(kSheetServiceItems);
          RunAll(bare, Today(sheetStatements));
        },
        [&] {
          RecordingCanvas canvas(600);
          const QString error = DrawOn(canvas, CashIncomeSummaryPrint(db, sheet));
          if (!error.isEmpty()) throw DbError(error);
        },
        [&] {
          bare.Run(kSheetServiceItems);
          RunAll(bare, sheetStatements);
        }));

    TFormcwzhbb finance;
    SetYear(&finance);
    auto* doctors = Child<QListWidget>(&finance, "ListBox1");
    if (doctors->count() == 0) throw DbError("no doctor listed in the finance summary");
    doctors->setCurrentRow(0);
    const QString doctor = doctors->item(0)->text();
    const std::optional<MonthWindow> month = ReconciliationMonth(kDay);
    const QVariantList monthDays{DayText(month->first), DayText(month->last)};
    const QList<BareStatement> financeStatements{
        {kFinanceIncomeByDay, days},
        {kFinanceRows, days},
        {kFinanceIncomeOfCategory, days + QVariantList{"门诊"}},
        {kFinanceIncomeOfCategory, days + QVariantList{"住院"}},
        {kFinanceCashiers},
        {kFinanceCashierTakings, monthDays + QVariantList{QString()}},
        {kFinanceServicesPerformed, monthDays + QVariantList{doctor}},
        {kFinanceServicesPrescribed, monthDays + QVariantList{doctor}},
        {kFinanceMedicinePrescribed, monthDays + QVariantList{doctor}},
    };
    figures.append(CompareByTurns(
        "finance summary + ListBox1 click, one year", kReportRuns,
        [&] { RunAll(bare, Today(financeStatements)); },
        [&] {
          QMetaObject::invokeMethod(&finance, "BitBtn1Click");
          doctors->setCurrentRow(0);
          QMetaObject::invokeMethod(&finance, "ListBox1Click");
        },
        [&] { RunAll(bare, financeStatements); }));

    const QString closedDays = ScalarText(db, "select count(*) from 时间表 where 时间 = ?", {DayText(kDay)});
    QList<PostingTimes> postings = ClosePostings(db, twin, unpaid, QString());
    CommitWithoutDiskWait(db);
    CommitWithoutDiskWait(twin.db());
    postings += ClosePostings(db, twin, unpaid, QStringLiteral(", commits not waiting for the disk"));

    // Leave the store as it was generated: the vouchers back at the
    // cashier, their medicine priced away from the stock count, the day
    // not closed more often than it was.
    Exec(db, "delete from 时间表 where 时间 = ?", {DayText(kDay)});
    for (int i = 0; i < closedDays.toInt(); ++i) Exec(db, kRecordClosedDay, {DayText(kDay)});
    Restore(db, unpaid);
    Exec(db,
         "update 库存 set 数量 = 数量 - (select sum(l.数量) from 临时出库信息 as l where l.收银标志 = '否' and "
         "l.编号 = 库存.编号) where 编号 in (select 编号 from 临时出库信息 where 收银标志 = '否')");

    const QString table = ComparisonTable(figures) + "\n" + PostingTable(postings);
    std::printf("\n%s, %g× history, median of %d (close) or %d runs, the three by turns\n%s", qPrintable(engine), factor,
                kCloseRuns, kReportRuns, qPrintable(table));
    WriteResults(QString("Day close and income reports, %1, %2× history").arg(engine).arg(factor),
                 QString("%1 visits, store %2 MB").arg(visits).arg(ClinicStoreMegabytes(), 0, 'f', 0), table);
    if (!boxes.isEmpty()) {
      std::printf("unexpected messages: %s\n", qPrintable(boxes.join(" / ")));
      return 1;
    }
    return 0;
  } catch (const DbError& e) {
    std::fprintf(stderr, "dayclosebench: %s\n", qPrintable(e.text()));
    return 1;
  }
}
