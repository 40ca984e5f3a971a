// Times the clinic's stock reports (receipts, issues, returns to the
// supplier, write-offs, patient returns) over a month and a year, through
// their windows' own statements and grids, against the statements they ran
// before their indexes and the best found, both bare through the engine's C
// interface (every row read), and the issue report's opening with its purge
// of empty lines, on the report benchmarks' store:
// stockreportsbench <folder> [factor].
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench/bare.h"
#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "reports/issuepurge.h"
#include "reports/optionalfilter.h"
#include "reports/ypbsbb.h"
#include "reports/ypckbb.h"
#include "reports/ypfkbb.h"
#include "reports/yphztybb.h"
#include "reports/yprkbb.h"

namespace {
const int kRuns = 7;
// A code fragment that many generated goods carry, typed in lower case.
const QString kPinyin = QStringLiteral("a");

// The statements the windows run for a query, as they stand in the
// windows' units (the ones not exported there are repeated here, bare).
const QString kItemOfNothing = QStringLiteral(
    "select rkxx.返库时间, rkxx.入库时间, ypxx.品名, rkxx.药品批号, rkxx.\"单价(元)\", rkxx.数量, ypxx.单位, "
    "rkxx.\"总价(元)\", ypxx.类别, ypxx.规格, ypxx.厂商, rkxx.入库人帐号, rkxx.反库人帐号, rkxx.返库原因 "
    "from 药品信息 as ypxx, 药品反库信息 as rkxx where rkxx.返库时间 between ? and ? and rkxx.编号 = ? "
    "and rkxx.编号 = ypxx.编号");
const QString kReturnWhere = QStringLiteral(
    "from 药品信息 as ypxx, 药品反库信息 as rkxx where rkxx.返库时间 between ? and ? and rkxx.药品来源 %1 ? "
    "and rkxx.反库人帐号 %1 ? and ypxx.类别 %1 ? and ypxx.拼音缩写 %1 ? and rkxx.编号 = ypxx.编号");
const QString kWriteOffSummary = QStringLiteral(
    "select ypxx.品名, sum(rkxx.数量) as 数量, ypxx.单位, sum(rkxx.\"总价(元)\") as \"总价(元)\", ypxx.厂商 "
    "from 药品信息 as ypxx, 药品报损信息 as rkxx where rkxx.报损时间 between ? and ? and rkxx.编号 = ypxx.编号 "
    "group by rkxx.编号, ypxx.品名, ypxx.单位, ypxx.厂商 order by rkxx.编号");

QList<BareStatement> Today(QList<BareStatement> statements) {
  for (BareStatement& s : statements) s.sql = TodaysStatement(s.sql);
  return statements;
}

void SetDates(QWidget* window, QDate first, QDate last) {
  window->findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"))->setDate(first);
  window->findChild<QDateEdit*>(QStringLiteral("DateTimePicker2"))->setDate(last);
}

// The pinyin filter switched on and typed, as a user would.
void TypePinyin(QWidget* window) {
  auto* box = window->findChild<MouseUpCheckBox*>(QStringLiteral("CheckBox3"));
  box->setChecked(true);
  emit box->MouseUp();
  window->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(kPinyin);
}

std::function<void()> Click(QWidget* window, const char* button) {
  auto* b = window->findChild<QPushButton*>(QString::fromUtf8(button));
  return [b] { b->click(); };
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PrintMessagesToStderr();
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    const auto progress = TimedProgress();
    Connection store = OpenBenchStore(folder, ReportBenchScale(factor), progress);
    const QSqlDatabase db = store.db();
    BareStore bare;
    const QString like = LikeOperator(db);
    const QDate last = LastStoreDay(db, "出库信息");
    Clock::Set(QDateTime(last, QTime(12, 0)));
    const QString lines = ScalarText(db, "select count(*) from 出库信息");
    progress(QString("store ready (factor %1): %2 issue lines, last day %3\n").arg(factor).arg(lines, last.toString(Qt::ISODate)));

    QList<Comparison> figures;
    // A statement the window runs as it always did has no today's of its own.
    const auto add = [&](const QString& what, const std::function<void()>& window,
                         const QList<BareStatement>& statements, const QList<BareStatement>& before = {}) {
      const QList<BareStatement> today = Today(before.isEmpty() ? statements : before);
      bool changed = false;
      for (int i = 0; i < statements.size(); ++i) changed = changed || today[i].sql != statements[i].sql;
      figures.append(CompareByTurns(what, kRuns, changed ? std::function<void()>([&] { RunAll(bare, today); }) : nullptr,
                                    window, [&] { RunAll(bare, statements); }));
    };
    for (const auto& [period, days] : {std::pair{"month", 30}, std::pair{"year", 365}}) {
      const QDate first = last.addDays(1 - days);
      const QVariantList dates = {DayText(first), DayText(last)};
      const QString of = QStringLiteral(", ") + period;
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormrkbb receipts;
        SetDates(&receipts, first, last);
        if (pinyin) TypePinyin(&receipts);
        add((pinyin ? "receipts, pinyin \"a\"" : "receipts") + of, Click(&receipts, "BitBtn1"),
            {{kSelectReceiptSummary.arg(like), filters}, {kSumReceipts.arg(like), filters}});
      }
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormypckbb issues;
        SetDates(&issues, first, last);
        if (pinyin) TypePinyin(&issues);
        // Before, every filter was a like, a filter left at everything too.
        const QString likes = QStringLiteral(
            "ckxx.开方医师 %1 ? and ckxx.出库人帐号 %1 ? and ypxx.类别 %1 ? and ypxx.剂型 %1 ? and ypxx.拼音缩写 %1 ?");
        const BoundStatement summary = IssueStatement(kSelectIssueSummary, like, filters);
        const BoundStatement sum = IssueStatement(kSumIssues, like, filters);
        add((pinyin ? "issues, pinyin \"a\"" : "issues") + of, Click(&issues, "BitBtn1"),
            {{summary.sql, summary.values}, {sum.sql, sum.values}},
            {{kSelectIssueSummary.arg(likes.arg(like)), filters}, {kSumIssues.arg(likes.arg(like)), filters}});
      }
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormypfkbb returns;
        SetDates(&returns, first, last);
        if (pinyin) TypePinyin(&returns);
        add((pinyin ? "supplier returns, pinyin \"a\"" : "supplier returns") + of, Click(&returns, "BitBtn2"),
            {{kSelectReturnSummary.arg(like), filters},
             {"select sum(rkxx.\"总价(元)\") as 总价 " + kReturnWhere.arg(like), filters},
             {"select sum(rkxx.零售金额) as 总价 " + kReturnWhere.arg(like), filters},
             {kItemOfNothing, {dates[0], dates[1], QStringLiteral("")}}});
      }
      {
        TFormbsbb writeOffs;
        SetDates(&writeOffs, first, last);
        add("write-offs" + of, Click(&writeOffs, "BitBtn1"),
            {{kSelectWriteOffLines, dates},
             {kWriteOffSummary, dates},
             {"select sum(\"总价(元)\") from 药品报损信息 where 报损时间 between ? and ?", dates},
             {"select sum(报损总价) from 药品报损信息 where 报损时间 between ? and ?", dates}});
      }
      {
        TFormyphztybb patientReturns;
        SetDates(&patientReturns, first, last);
        add("patient returns" + of, Click(&patientReturns, "BitBtn1"),
            {{kSelectPatientReturnSummary, dates},
             {"select sum(\"总价(元)\") from 退药信息 where 退药时间 between ? and ?", dates}});
      }
    }

    // Opening the issue report purges the empty lines of the whole history.
    figures.append(CompareByTurns("issue report's purge at opening, whole history", kRuns, nullptr,
                                  [&] { PurgeEmptyIssueLines(db); },
                                  [&] { bare.Run("delete from 出库信息 where 数量 = 0"); }));
    const double opening = MedianMs(kRuns, [] { TFormypckbb window; });
    const QString engine = bare.postgres() ? "PostgreSQL" : "SQLite";
    const QString table = ComparisonTable(figures) +
                          QString("\nThe issue report opened whole (window, connection, purge): %1 ms.\n")
                              .arg(opening, 0, 'f', 2);
    std::printf("\n%s", qPrintable(table));
    WriteResults(QString("Stock reports, %1, %2× history").arg(engine).arg(factor),
                 QString("%1 issue lines, store %2 MB").arg(lines).arg(ClinicStoreMegabytes(), 0, 'f', 0), table);
  });
}
