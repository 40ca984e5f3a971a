// Times the pharmacy's correction and warning windows on the report
// benchmarks' store (three busy years, or factor times as many): every list
// and sum through the window's own handler against the same statements bare
// through the engine's C interface (every row read), and every posting on
// the store and on its twin with the earlier indexes, by turns.
//
//   pharmacybench <folder> [factor]
//
// The store is made in <folder> on first use and kept (or on the server
// BRIMWICK_BENCH_PG names).
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>

#include "bench/bare.h"
#include "bench/beforeindexes.h"
#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "frontdesk/hzty.h"
#include "frontdesk/kccx.h"
#include "frontdesk/patientreturnposting.h"
#include "frontdesk/stagingconfirm.h"
#include "frontdesk/ypbs.h"
#include "frontdesk/ypfk.h"
#include "frontdesk/yxqyj.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/session.h"

namespace {
using Statement = BareStatement;

template <typename T>
T* Child(QWidget* w, const char* name) {
  T* found = w->findChild<T*>(QString::fromUtf8(name));
  if (!found) throw std::runtime_error(std::string("no component ") + name);
  return found;
}

void Invoke(QWidget* w, const char* slot) {
  if (!QMetaObject::invokeMethod(w, slot)) throw std::runtime_error(std::string("no handler ") + slot);
}

// Each list against its statements bare; the statements are today's and
// the best found alike.
void CompareList(const char* name, const std::function<void()>& window, BareStore& bare,
                 const QList<Statement>& statements, QList<Comparison>& figures) {
  Comparison line = CompareByTurns(QString::fromUtf8(name), 7, nullptr, window, [&] { RunAll(bare, statements); });
  line.rows = RunAll(bare, statements);
  figures.append(line);
}

// The visit, line, batch, receipt and service rows the postings work on.
struct Targets {
  VisitKey visit;
  QString code;
  QString batch;
  qint64 serviceRow = 0;
  qint64 receiptRow = 0;
  QString name;
  QDate day;
  QString pinyin;
  QString receiptBatch;
};

// Each posting is timed for up to a thousand runs of 0.001, on the same
// rows, and a kept store is timed again on later runs: every row picked
// holds a few units more than one run of all postings takes.
Targets FindTargets(const QSqlDatabase& db) {
  Targets t;
  const QList<QVariantList> line = ReadAll(
      db,
      "select ck.流水号, ck.划价人帐号, ck.编号, gq.药品批号 from 出库信息 as ck, 药品过期表 as gq, 服务信息 as fw "
      R"~(where gq.编号 = ck.编号 and ck.数量 >= 3 and fw.流水号 = ck.流水号 and fw.划价人帐号 = ck.划价人帐号 and fw."服务费(元)" > 3 limit 1)~");
  if (line.isEmpty()) throw std::runtime_error("no dispensed line with a batch and a service line");
  t.visit = {line[0][0].toDouble(), line[0][1].toString().trimmed()};
  t.code = line[0][2].toString().trimmed();
  t.batch = line[0][3].toString().trimmed();
  t.serviceRow = ScalarText(db, R"~(select 行号 from 服务信息 where 流水号 = ? and 划价人帐号 = ? and "服务费(元)" > 3 limit 1)~",
                            t.visit.Values())
                     .toLongLong();
  const QList<QVariantList> visit =
      ReadAll(db, "select 姓名, 时间 from 患者信息 where 流水号 = ? and 划价人帐号 = ?", t.visit.Values());
  t.name = visit[0][0].toString().trimmed();
  t.day = visit[0][1].toDate().isValid() ? visit[0][1].toDate() : QDate::fromString(visit[0][1].toString(), Qt::ISODate);
  const QList<QVariantList> receipt = ReadAll(
      db, "select rk.行号, rk.药品批号, yp.拼音缩写 from 入库信息 as rk, 药品信息 as yp, 药品过期表 as gq "
          "where yp.编号 = rk.编号 and gq.编号 = rk.编号 and gq.药品批号 = rk.药品批号 and rk.数量 >= 5 and gq.数量 >= 5 limit 1");
  t.receiptRow = receipt[0][0].toLongLong();
  t.receiptBatch = receipt[0][1].toString().trimmed();
  t.pinyin = receipt[0][2].toString().trimmed().left(2);
  return t;
}

const QString kOperator = QStringLiteral("药房01");
const QString kAccount = QStringLiteral("acc01");

// Each posting on the store and on its twin with the earlier indexes,
// by turns; what is to be committed or confirmed is staged untimed first.
QList<PostingTimes> TimePostings(const QSqlDatabase& db, const StoreBeforeReportIndexes& twin, const QString& pass) {
  const int runs = 41;
  const Targets t = FindTargets(db);
  const QDate today = Clock::today();
  const auto check = [](bool done, const char* what) {
    if (!done) throw std::runtime_error(std::string(what) + " failed");
  };
  const auto returnLine = [&](const QSqlDatabase& store) {
    return ReturnDispensedLine(store, {t.visit, t.code, t.batch, "0.001", "0", today, today, kOperator});
  };
  QList<PostingTimes> times;
  times << PostingByTurns("return a dispensed line" + pass, runs, db, twin, [&](const QSqlDatabase& store) {
    check(returnLine(store) == ReturnOutcome::Done, "return");
  });
  times << PostingByTurns("refund part of a service line" + pass, runs, db, twin, [&](const QSqlDatabase& store) {
    check(RefundServiceLine(store, t.serviceRow, "0.001", today, kOperator) == RefundOutcome::Part, "refund");
  });
  times << PostingByTurns(
      "commit a return staged" + pass, runs, db, twin,
      [&](const QSqlDatabase& store) { check(CommitPatientReturn(store, t.visit, kOperator, today), "commit"); },
      [&](const QSqlDatabase& store) { returnLine(store); });
  for (const Correction kind : {Correction::SupplierReturn, Correction::WriteOff}) {
    const bool back = kind == Correction::SupplierReturn;
    const auto stage = [&](const QSqlDatabase& store) {
      return StageCorrection(store, {kind, t.receiptRow, "0.001", "", kAccount, today});
    };
    times << PostingByTurns(QString(back ? "stage a return to the supplier" : "stage a write-off") + pass, runs, db, twin,
                            [&](const QSqlDatabase& store) { check(stage(store) == StagingOutcome::Staged, "staging"); });
    times << PostingByTurns(
        QString(back ? "confirm the account's returns" : "confirm the account's write-offs") + pass, runs, db, twin,
        [&](const QSqlDatabase& store) { check(StagingConfirm(store, kind, kAccount) > 0, "confirm"); }, stage);
  }
  return times;
}

void Progress(const QString& step) {
  std::printf("  generating: %s\n", qPrintable(step));
  std::fflush(stdout);
}

void CompareLists(const QSqlDatabase& db, QList<Comparison>& verdict) {
  const Targets t = FindTargets(db);
  BareStore bare;
  const QString like = LikeOperator(db);
  const QVariantList key = t.visit.Values();
  const QVariantList operatorAndKey = QVariantList{kOperator} + key;
  const QString today = DayText(Clock::today());

  {
    TFormhzty returns;
    Child<QDateEdit>(&returns, "DateTimePicker1")->setDate(t.day);
    auto* name = Child<QLineEdit>(&returns, "Edit1");
    CompareList("患者退药: the patient's visits of a day",
                [&] {
                  name->blockSignals(true);
                  name->setText(QString());
                  name->blockSignals(false);
                  name->setText(t.name);
                },
                bare,
                {{R"~(select 姓名, 流水号, 时间, "药费(元)", "服务费(元)", 划价人帐号 from 患者信息 where 姓名 = ? and 时间 = ?)~",
                  {t.name, DayText(t.day)}}},
                verdict);
    // The visit chosen: its lines, services, staged rows and refund sums.
    auto* visits = Child<DataGrid>(&returns, "DBGrid1");
    for (int row = 0; row < visits->RecordCount(); ++row) {
      visits->setCurrentIndex(visits->model()->index(row, 0));
      if (visits->Cell(1).toDouble() == t.visit.serial && visits->Cell(5).trimmed() == t.visit.account) break;
    }
    CompareList("患者退药: a visit's lines, services and sums", [&] { Invoke(&returns, "DBGrid1CellClick"); }, bare,
                {{R"~(select ckxi.编号, ypxi.品名, ckxi.时间, ckxi.数量, ckxi."单价(元)", ckxi."总价(元)", ypxi.厂商, )~"
                  "ckxi.流水号, ckxi.划价人帐号, ckxi.开方医师 from 出库信息 as ckxi, 药品信息 as ypxi "
                  "where (ypxi.编号 = ckxi.编号) and (ckxi.流水号 = ? and ckxi.划价人帐号 = ?)",
                  key},
                 {R"~(select 服务类别, 流水号, 时间, "服务费(元)", 开方医师, 服务人, 划价人帐号, 行号 from 服务信息 )~"
                  "where (流水号 = ? and 划价人帐号 = ?)",
                  key},
                 {R"~(select ypxi.编号, ypxi.品名, tyxi.数量, ypxi.单位, tyxi."单价(元)", tyxi."总价(元)", ypxi.规格, )~"
                  "ypxi.厂商 from 药品信息 as ypxi, 退药临时信息 as tyxi where (tyxi.编号 = ypxi.编号) and "
                  "tyxi.操作人帐号 = ? and (tyxi.流水号 = ? and tyxi.划价人帐号 = ?)",
                  operatorAndKey},
                 {R"~(select sum("总价(元)") from 退药临时信息 where (流水号 = ? and 划价人帐号 = ?) and 操作人帐号 = ?)~",
                  key + QVariantList{kOperator}},
                 {R"~(select sum("服务费(元)") from 服务费退还临时信息 where (流水号 = ? and 划价人帐号 = ?) and 退还人帐号 = ?)~",
                  key + QVariantList{kOperator}}},
                verdict);
  }

  const QString receipts =
      R"~(select rkxi.编号, ypxi.品名, rkxi.时间, rkxi.药品批号, %1.数量, ypxi.单位, rkxi."单价(元)", rkxi."总价(元)", )~"
      R"~(ypxi."售价(元)" as "售价(元)", rkxi.药品来源, ypxi.厂商, rkxi.入库人帐号, rkxi.行号 from %2入库信息 as rkxi, )~"
      "药品信息 as ypxi where ypxi.拼音缩写 " + like + " ? and rkxi.药品批号 = ? and (ypxi.编号 = rkxi.编号)";
  const QString pattern = "%" + t.pinyin + "%";
  for (const bool writeOff : {false, true}) {
    std::unique_ptr<QWidget> window(writeOff ? static_cast<QWidget*>(new TFormypbs) : new TFormypfk);
    Child<QLineEdit>(window.get(), "Editph")->setText(t.receiptBatch);
    auto* pinyin = Child<QLineEdit>(window.get(), "Editpysx");
    CompareList(writeOff ? "药品报损信息: receipts of a batch by pinyin" : "药品反库: receipts of a batch by pinyin",
                [&] {
                  pinyin->blockSignals(true);
                  pinyin->setText(QString());
                  pinyin->blockSignals(false);
                  pinyin->setText(t.pinyin);
                },
                bare, {{receipts.arg("rkxi", ""), {pattern, t.receiptBatch}}}, verdict);
  }

  {
    // The generated stock stays above every minimum: raise a few minimums
    // for the run, and put them back afterwards.
    const QList<QVariantList> minimums = ReadAll(db, "select 编号, 下限 from 药品信息 order by 编号 limit 40");
    for (const QVariantList& row : minimums) Exec(db, "update 药品信息 set 下限 = 1e9 where 编号 = ?", {row[0]});
    TFormkccx alarm;
    auto* grid = Child<DataGrid>(&alarm, "DBGrid1");
    CompareList("低库存报警: the list", [&] { Invoke(&alarm, "FormCreate"); }, bare,
                {{"select kc.编号, ypxx.品名, ypxx.下限, kc.数量, ypxx.单位, ypxx.类别, ypxx.规格, ypxx.厂商 "
                  "from 药品信息 as ypxx, 库存 as kc where kc.数量 < ypxx.下限 and kc.编号 = ypxx.编号",
                  {}}},
                verdict);
    const QDate day = Clock::today();
    CompareList("低库存报警: issued in 120 days", [&] { Invoke(&alarm, "DBGrid1CellClick"); }, bare,
                {{"select sum(ckxx.数量) as 数量 from 出库信息 as ckxx where ckxx.时间 between ? and ? and ckxx.编号 = ?",
                  {DayText(day.addDays(-120)), DayText(day), grid->Cell(0).trimmed()}}},
                verdict);
    for (const QVariantList& row : minimums) Exec(db, "update 药品信息 set 下限 = ? where 编号 = ?", {row[1], row[0]});
  }
  const QString expiry =
      "select gqb.编号, ypxi.品名, gqb.药品批号, gqb.数量, ypxi.单位, ypxi.规格, ypxi.厂商, gqb.过期时间 "
      "from 药品信息 as ypxi, 药品过期表 as gqb where (ypxi.编号 = gqb.编号) and gqb.过期时间 < ?";
  TFormyxqyj warnings;
  CompareList("药品过期预警: both lists", [&] { Invoke(&warnings, "FormCreate"); }, bare,
              {{expiry + " and gqb.过期时间 >= ?", {DayText(Clock::today().addDays(90)), today}}, {expiry, {today}}},
              verdict);
}
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  Messages::InstallResponder([](const MessageRecord&) { return false; });
  QLabel account(kAccount), name(kOperator);
  Session::SetPanels(&account, &name);
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    Connection store = OpenBenchStore(folder, ReportBenchScale(factor), Progress);
    Clock::Set(QDateTime(LastStoreDay(store.db()), QTime(10, 0)));
    QList<Comparison> lists;
    CompareLists(store.db(), lists);
    // The twin is copied from the store with no connection open on it.
    store = Connection();
    const StoreBeforeReportIndexes twin;
    store = OpenClinicStore();
    // A first pass untimed: each store's log grows to its working size, as
    // a store in use all day has, and no side's commits pay for
    // lengthening the file (which syncs far more) while the other's do not.
    TimePostings(store.db(), twin, QString());
    QList<PostingTimes> postings = TimePostings(store.db(), twin, QString());
    CommitWithoutDiskWait(store.db());
    CommitWithoutDiskWait(twin.db());
    postings += TimePostings(store.db(), twin, QStringLiteral(", commits not waiting for the disk"));
    const QString table = ComparisonTable(lists) + "\n" + PostingTable(postings);
    std::printf("\n%s", qPrintable(table));
    WriteResults(QString("Pharmacy corrections and warnings, %1, %2× history")
                     .arg(IsPostgres(store.db()) ? "PostgreSQL" : "SQLite")
                     .arg(factor),
                 QString("%1 dispensed lines, store %2 MB")
                     .arg(ScalarText(store.db(), "select count(*) from 出库信息"))
                     .arg(ClinicStoreMegabytes(), 0, 'f', 0),
                 table);
  });
}
