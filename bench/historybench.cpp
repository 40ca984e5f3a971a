// Times the clinic history reports (supplies, inpatient fees, patient
// information) on the report benchmarks' store: each window's query through
// the window itself, its buttons clicked as a user clicks them, against the
// statements bare through the engine's C interface (every row read), as
// they run and as they ran before their indexes. Over a month and a year of
// history; the inpatient fees over a 30-day stay.
//   historybench <folder> [factor]
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstdio>

#include "bench/bare.h"
#include "bench/clinicgen.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "reports/hcbb.h"
#include "reports/hzxibb.h"
#include "reports/suppliesquery.h"
#include "reports/zyhzhzb.h"

namespace {
using Statement = BareStatement;

// The store every case's statements run bare on, and the figures so far.
BareStore* bare = nullptr;
QList<Comparison> figures;

int RunBare(const QList<Statement>& statements) { return RunAll(*bare, statements); }

template <typename T>
T* Child(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromUtf8(name));
}

// Times the window against its statements bare, as they run today and, for
// a statement whose indexes and shape were chosen since, as they ran before.
void Report(const QString& what, int rows, const std::function<void()>& window, const QList<Statement>& statements) {
  QList<Statement> today = statements;
  bool changed = false;
  for (Statement& s : today) {
    const QString now = s.sql;
    s.sql = TodaysStatement(now);
    changed = changed || s.sql != now;
  }
  Comparison line = CompareByTurns(what, 15, changed ? std::function<void()>([&] { RunBare(today); }) : nullptr,
                                   window, [&] { RunBare(statements); });
  line.rows = rows;
  figures.append(line);
}

struct Span {
  const char* name;
  QDate first;
  QDate last;
};

void PatientInformation(const QSqlDatabase& db, const Span& span, const QString& name) {
  TFormhzxibb window;
  Child<QDateEdit>(window, "DateTimePicker1")->setDate(span.first);
  Child<QDateEdit>(window, "DateTimePicker2")->setDate(span.last);
  Child<QLineEdit>(window, "Edit1")->setText(name);
  QPushButton* query = Child<QPushButton>(window, "BitBtn1");
  const QString first = DayText(span.first), last = DayText(span.last);
  const QString like = LikeOperator(db), pattern = "%" + name + "%";
  const QList<Statement> statements{{kSelectVisits.arg(like), {first, last, pattern}},
                                    {kSumListed.arg(like), {first, last, pattern}},
                                    {kSumCategory, {first, last, "门诊"}},
                                    {kSumCategory, {first, last, "住院"}},
                                    {kCountCategory, {first, last, "门诊"}},
                                    {kCountCategory, {first, last, "住院"}}};
  const int rows = RunBare(statements) - 5;
  Report(QString("患者信息报表, %1, %2").arg(span.name, name.isEmpty() ? "every name" : name), rows,
         [&] { query->click(); }, statements);
}

void InpatientFees(const QSqlDatabase& db, const QDate& last) {
  const QDate first = last.addDays(-29);
  const QString name = ScalarText(
      db, "select 姓名 from 患者信息 where 收费类别 = '住院' and 时间 between ? and ? order by 姓名 limit 1",
      {DayText(first), DayText(last)});
  TFormzyhzhz window;
  Child<QComboBox>(window, "ComboBox1")->setEditText(name);
  Child<QDateEdit>(window, "DateTimePicker1")->setDate(first);
  Child<QDateEdit>(window, "DateTimePicker2")->setDate(last);
  QPushButton* report = Child<QPushButton>(window, "BitBtn1");
  const QVariantList values = InpatientLineValues(name, DayText(first), DayText(last));
  const QList<Statement> statements{{kSelectInpatientMedicine, values},        {kSelectInpatientServices, values},
                                    {kSumInpatientServicesByCategory, values}, {kSumInpatientMedicineByCategory, values},
                                    {kSumInpatientMedicine, values},           {kSumInpatientServices, values}};
  const int rows = RunBare({statements[0], statements[1]});
  Report("住院患者费用统计表, 30-day stay of " + name, rows, [&] { report->click(); }, statements);
}

void Supplies(const QSqlDatabase& db, const Span& span) {
  TFormhcbb window;
  const SuppliesFilter filter{DayText(span.first), DayText(span.last), std::nullopt, QStringLiteral("%")};
  Child<QDateEdit>(window, "DateTimePicker1")->setDate(span.first);
  Child<QDateEdit>(window, "DateTimePicker2")->setDate(span.last);
  Child<QDateEdit>(window, "DateTimePicker3")->setDate(span.first);
  Child<QDateEdit>(window, "DateTimePicker4")->setDate(span.last);
  const auto statement = [&](const QString& sql, const QString& person) {
    return Statement{filter.Statement(db, sql, person), filter.Values()};
  };
  const QList<Statement> receipts{statement(kSelectSupplyReceipts, kReceiver), statement(kSumSupplyReceipts, kReceiver),
                                  {"select 药品来源 from 药品来源", {}}};
  const QList<Statement> issues{statement(kSelectSupplyIssues, kRecipient),
                                statement(kSumSupplyIssueCost, kRecipient),
                                statement(kSumSupplyIssueRetail, kRecipient),
                                statement(kSumSupplyIssueProfit, kRecipient)};
  QPushButton* receiptQuery = Child<QPushButton>(window, "BitBtn3");
  QPushButton* issueQuery = Child<QPushButton>(window, "BitBtn4");
  Report(QString("卫材报表, receipts, %1").arg(span.name), RunBare({receipts[0]}), [&] { receiptQuery->click(); },
         receipts);
  Report(QString("卫材报表, issues, %1").arg(span.name), RunBare({issues[0]}), [&] { issueQuery->click(); }, issues);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return RunBench(argc, argv, [&](const QString& folder, double factor) {
    Connection store = OpenBenchStore(folder, ReportBenchScale(factor), [](const QString& step) {
      std::printf("generating: %s\n", qPrintable(step));
      std::fflush(stdout);
    });
    const QSqlDatabase db = store.db();
    BareStore store_bare;
    bare = &store_bare;
    const QDate last = LastStoreDay(db);
    const QString visits = ScalarText(db, "select count(*) from 患者信息");
    std::printf("%s visits, %s dispensed lines, %s supplies rows each way, last day %s\n\n", qPrintable(visits),
                qPrintable(ScalarText(db, "select count(*) from 出库信息")),
                qPrintable(ScalarText(db, "select count(*) from 卫材出库表")), qPrintable(DayText(last)));
    const Span month{"a month", last.addDays(-29), last};
    const Span year{"a year", last.addDays(-364), last};
    for (const Span& span : {month, year}) PatientInformation(db, span, QString());
    // A patient of the last day, so that the month lists a visit; the one
    // with the fewest visits that day, not the desks' benchmark's walk-ins.
    const QString patient = ScalarText(
        db, "select 姓名 from 患者信息 where 时间 = ? group by 姓名 order by count(*), 姓名 limit 1", {DayText(last)});
    PatientInformation(db, month, patient);
    PatientInformation(db, year, patient);
    InpatientFees(db, last);
    for (const Span& span : {month, year}) Supplies(db, span);
    const QString table = ComparisonTable(figures);
    std::printf("\n%s", qPrintable(table));
    WriteResults(QString("History reports, %1, %2× history").arg(IsPostgres(db) ? "PostgreSQL" : "SQLite").arg(factor),
                 QString("%1 visits, store %2 MB").arg(visits).arg(ClinicStoreMegabytes(), 0, 'f', 0), table);
  });
}
