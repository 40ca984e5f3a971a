// Times the clinic's stock reports (receipts, issues, returns to the
// supplier, write-offs, patient returns) over a month and a year, through
// their windows' own statements and grids, against the same statements run
// bare (prepared, every row read), and the issue report's opening with its
// purge of empty lines: stockreportsbench <folder> [factor].
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/messages.h"
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

struct Bare {
  QString sql;
  QVariantList values;
};

// Runs each statement and reads every value of every row.
void RunBare(const QSqlDatabase& db, const QList<Bare>& statements) {
  for (const Bare& s : statements) {
    QSqlQuery query = Exec(db, s.sql, s.values);
    const int columns = query.record().count();
    while (query.next())
      for (int c = 0; c < columns; ++c) (void)query.value(c);
  }
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

// Both sides warmed up first, then timed in turns twice, each keeping its
// better median: other work on the machine slows one turn, rarely both.
std::pair<double, double> Compare(const std::function<void()>& window, const std::function<void()>& bare) {
  window();
  bare();
  double w = MedianMs(kRuns, window), b = MedianMs(kRuns, bare);
  w = std::min(w, MedianMs(kRuns, window));
  b = std::min(b, MedianMs(kRuns, bare));
  return {w, b};
}

std::function<void()> Click(QWidget* window, const char* button) {
  auto* b = window->findChild<QPushButton*>(QString::fromUtf8(button));
  return [b] { b->click(); };
}

void Report(const char* name, const char* period, std::pair<double, double> times) {
  const auto [window, bare] = times;
  std::printf("%-26s %-6s %10.2f %10.2f %7.2f%s\n", name, period, window, bare, window / bare,
              window / bare > 1.3 ? "  over 1.3" : "");
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: stockreportsbench <folder> [factor]\n");
    return 2;
  }
  Messages::InstallResponder([](const MessageRecord& record) {
    std::fprintf(stderr, "message: %s\n", qPrintable(record.text));
    return false;
  });
  const double factor = argc > 2 ? QString::fromUtf8(argv[2]).toDouble() : 1.0;
  ClinicHistoryScale scale;
  scale.patientReturns = 30000;
  scale.supplierReturns = 4000;
  scale.writeOffs = 4000;
  scale = scale.Times(factor);
  QElapsedTimer timer;
  timer.start();
  try {
    Connection store = OpenBenchStore(QString::fromLocal8Bit(argv[1]), scale, [&](const QString& step) {
      std::printf("%7.1f s  %s\n", timer.elapsed() / 1000.0, qPrintable(step));
      std::fflush(stdout);
    });
    const QSqlDatabase db = store.db();
    const QString like = LikeOperator(db);
    const QDate last = QDate::fromString(ScalarText(db, "select max(时间) from 出库信息").left(10), Qt::ISODate);
    Clock::Set(QDateTime(last, QTime(12, 0)));
    std::printf("store ready in %.1f s (factor %g): %s issue lines, last day %s\n\n", timer.elapsed() / 1000.0, factor,
                qPrintable(ScalarText(db, "select count(*) from 出库信息")), qPrintable(last.toString(Qt::ISODate)));
    std::printf("%-26s %-6s %10s %10s %7s\n", "case", "period", "window ms", "bare ms", "ratio");

    for (const auto& [period, days] : {std::pair{"month", 30}, std::pair{"year", 365}}) {
      const QDate first = last.addDays(1 - days);
      const QVariantList dates = {DayText(first), DayText(last)};
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormrkbb receipts;
        SetDates(&receipts, first, last);
        if (pinyin) TypePinyin(&receipts);
        Report(pinyin ? "receipts, pinyin" : "receipts", period, Compare(Click(&receipts, "BitBtn1"), [&] {
                 RunBare(db, {{kSelectReceiptSummary.arg(like), filters}, {kSumReceipts.arg(like), filters}});
               }));
      }
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormypckbb issues;
        SetDates(&issues, first, last);
        if (pinyin) TypePinyin(&issues);
        Report(pinyin ? "issues, pinyin" : "issues", period, Compare(Click(&issues, "BitBtn1"), [&] {
                 RunBare(db, {{kSelectIssueSummary.arg(like), filters}, {kSumIssues.arg(like), filters}});
               }));
      }
      for (bool pinyin : {false, true}) {
        const QVariantList filters = {dates[0], dates[1], "%", "%", "%", pinyin ? "%" + kPinyin + "%" : "%%"};
        TFormypfkbb returns;
        SetDates(&returns, first, last);
        if (pinyin) TypePinyin(&returns);
        Report(pinyin ? "supplier returns, pinyin" : "supplier returns", period,
               Compare(Click(&returns, "BitBtn2"), [&] {
                 RunBare(db, {{kSelectReturnSummary.arg(like), filters},
                              {"select sum(rkxx.\"总价(元)\") as 总价 " + kReturnWhere.arg(like), filters},
                              {"select sum(rkxx.零售金额) as 总价 " + kReturnWhere.arg(like), filters},
                              {kItemOfNothing, {dates[0], dates[1], QStringLiteral("")}}});
               }));
      }
      {
        TFormbsbb writeOffs;
        SetDates(&writeOffs, first, last);
        Report("write-offs", period, Compare(Click(&writeOffs, "BitBtn1"), [&] {
                 RunBare(db, {{kSelectWriteOffLines, dates},
                              {kWriteOffSummary, dates},
                              {"select sum(\"总价(元)\") from 药品报损信息 where 报损时间 between ? and ?", dates},
                              {"select sum(报损总价) from 药品报损信息 where 报损时间 between ? and ?", dates}});
               }));
      }
      {
        TFormyphztybb patientReturns;
        SetDates(&patientReturns, first, last);
        Report("patient returns", period, Compare(Click(&patientReturns, "BitBtn1"), [&] {
                 RunBare(db, {{kSelectPatientReturnSummary, dates},
                              {"select sum(\"总价(元)\") from 退药信息 where 退药时间 between ? and ?", dates}});
               }));
      }
    }

    // Opening the issue report purges the empty lines of the whole history.
    Report("purge at opening", "all",
           Compare([&] { PurgeEmptyIssueLines(db); }, [&] { Exec(db, "delete from 出库信息 where 数量 = 0"); }));
    const double opening = MedianMs(kRuns, [] { TFormypckbb window; });
    std::printf("%-26s %-6s %10.2f   (the whole window made, its connection opened, the purge run)\n",
                "issue report opening", "all", opening);
  } catch (const DbError& e) {
    std::fprintf(stderr, "stockreportsbench: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
