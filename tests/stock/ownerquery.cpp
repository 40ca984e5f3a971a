#include <QDateEdit>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "stock/yzcx.h"
#include "support/testkit.h"

// The owner's four queries with their totals, driven as the owner would.
class OwnerQueryTest : public QObject {
  Q_OBJECT

  Connection store_;

  void addGoods(const QString& code, const QString& search, const QString& name) {
    Exec(store_.db(), "insert into 基本资料 (编号, 拼音缩写, 品名, 单位) values (?, ?, ?, '盒')", {code, search, name});
  }
  void addReceipt(const char* table, const QString& code, const QString& serial, double amount, const QString& day,
                  const QString& expiry) {
    // The stored search code is stale on purpose: the query filters on the catalogue's.
    Exec(store_.db(), QString("insert into %1 values (?, ?, 'OLD', 1, 1, 2, ?, ?, ?)").arg(table),
         {code, serial, amount, day, expiry});
  }
  void addSale(const QString& code, double cost, double sales, const QString& day) {
    Exec(store_.db(), "insert into 出库记录 values (?, '00001', 'OLD', 1, 1, 2, ?, ?, ?)", {code, cost, sales, day});
  }

  // Picks the query type, checks that only its button shows, and presses it.
  void run(TFormyzcx& w, int type, const char* button) {
    TestKit::Click(Find<QRadioButton>(&w, QString("RadioGroup1_%1").arg(type)));
    for (const char* name : {"BitBtn3", "BitBtn2", "BitBtn4", "BitBtn5"})
      QCOMPARE(Find<QPushButton>(&w, name)->isVisible(), QString(name) == button);
    // Enter on the focused button presses it, as a click does.
    auto* pressed = Find<QPushButton>(&w, button);
    pressed->setFocus();
    TestKit::PressEnter(pressed);
  }
  void window(TFormyzcx& w, QDate first, QDate last, const QString& code = QString()) {
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(first);
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(last);
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), code);
  }
  QString total(TFormyzcx& w) { return Find<QLineEdit>(&w, "Edithj")->text(); }
  int rows(TFormyzcx& w) { return Find<DataGrid>(&w, "DBGrid1")->RecordCount(); }
  QStringList column(TFormyzcx& w, int c) {
    auto* grid = Find<DataGrid>(&w, "DBGrid1");
    QStringList texts;
    for (int r = 0; r < grid->RecordCount(); ++r) texts << CellText(grid->Model()->Value(r, c));
    texts.sort();
    return texts;
  }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
    store_ = OpenShopDatabase();
    addGoods("00001", "ASPL", "阿司匹林");
    addGoods("00002", "BLG", "板蓝根");
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void opensWithNothingPicked() {
    TFormyzcx w;
    w.show();
    QCOMPARE(w.windowTitle(), QString("老板查询"));
    QCOMPARE(Find<QGroupBox>(&w, "RadioGroup1")->title(), QString("选择查询类型"));
    QCOMPARE(Find<QDateEdit>(&w, "DateTimePicker1")->date(), QDate(2008, 4, 26));
    QCOMPARE(Find<QDateEdit>(&w, "DateTimePicker2")->date(), QDate(2008, 4, 26));
    QCOMPARE(Find<QDateEdit>(&w, "DateTimePicker1")->displayFormat(), QString("yyyy-MM-dd"));
    QCOMPARE(total(w), QString("0.00"));
    for (int i = 0; i < 4; ++i) QVERIFY(!Find<QRadioButton>(&w, QString("RadioGroup1_%1").arg(i))->isChecked());
    for (const char* name : {"BitBtn3", "BitBtn2", "BitBtn4", "BitBtn5"}) QVERIFY(!Find<QPushButton>(&w, name)->isVisible());
    // A type picked from code as well as by a click shows its own button only.
    Find<QRadioButton>(&w, "RadioGroup1_2")->setChecked(true);
    QVERIFY(Find<QPushButton>(&w, "BitBtn4")->isVisible());
    Find<QRadioButton>(&w, "RadioGroup1_0")->setChecked(true);
    QVERIFY(Find<QPushButton>(&w, "BitBtn3")->isVisible());
    QVERIFY(!Find<QPushButton>(&w, "BitBtn4")->isVisible());
    QCOMPARE(Find<QPushButton>(&w, "BitBtn3")->text(), QString("报表查询"));
  }

  void receiptsIncludeBothEndsOfTheWindow() {
    addReceipt("进货历史记录", "00001", "00001", 1.1, "2024-01-31", "2025-01-01");
    addReceipt("进货历史记录", "00001", "00002", 2.2, "2024-02-01", "2025-01-01");
    addReceipt("进货历史记录", "00002", "00003", 3.3, "2024-02-15", "2025-01-01");
    addReceipt("进货历史记录", "00001", "00004", 4.4, "2024-02-29", "2025-01-01");
    addReceipt("进货历史记录", "00001", "00005", 5.5, "2024-03-01", "2025-01-01");
    TFormyzcx w;
    w.show();
    window(w, QDate(2024, 2, 1), QDate(2024, 2, 29));
    run(w, 0, "BitBtn3");
    QCOMPARE(column(w, 9), (QStringList{"2024-02-01", "2024-02-15", "2024-02-29"}));
    QCOMPARE(total(w), QString("9.9"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid1")->Model()->headerData(1, Qt::Horizontal).toString(), QString("品名"));

    // The search code is the catalogue's, not the one stored with the line.
    window(w, QDate(2024, 2, 1), QDate(2024, 2, 29), "SP");
    run(w, 0, "BitBtn3");
    QCOMPARE(rows(w), 2);
    QCOMPARE(total(w), QString("6.6"));
    window(w, QDate(2024, 2, 1), QDate(2024, 2, 29), "OLD");
    run(w, 0, "BitBtn3");
    QCOMPARE(rows(w), 0);
    QCOMPARE(total(w), QString());

    // A reversed window finds nothing; a quote is just text.
    window(w, QDate(2024, 2, 29), QDate(2024, 2, 1));
    run(w, 0, "BitBtn3");
    QCOMPARE(rows(w), 0);
    QCOMPARE(total(w), QString());
    window(w, QDate(2024, 1, 1), QDate(2024, 12, 31), "' or '1'='1");
    run(w, 0, "BitBtn3");
    QCOMPARE(rows(w), 0);
    QCOMPARE(TestKit::MessageTexts(), QStringList());
  }

  void stockListsEveryBatchWithItsTotal() {
    TFormyzcx w;
    w.show();
    run(w, 1, "BitBtn2");
    QCOMPARE(rows(w), 0);
    QCOMPARE(total(w), QString());
    addReceipt("库存", "00001", "00001", 0.1, "2024-01-31", "2025-01-01");
    addReceipt("库存", "00002", "00002", 0.2, "2020-01-01", "2021-01-01");
    run(w, 1, "BitBtn2");
    QCOMPARE(rows(w), 2);
    QCOMPARE(total(w), QString("0.3"));
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), "blg");
    run(w, 1, "BitBtn2");
    QCOMPARE(column(w, 1), QStringList{"板蓝根"});
    QCOMPARE(total(w), QString("0.2"));
  }

  void profitIsSalesLessCost() {
    addSale("00001", 6.6, 11.55, "2024-02-01");
    addSale("00002", 1.5, 2, "2024-02-29");
    addSale("00001", 100, 200, "2024-03-01");
    TFormyzcx w;
    w.show();
    window(w, QDate(2024, 2, 1), QDate(2024, 2, 29));
    run(w, 2, "BitBtn4");
    QCOMPARE(rows(w), 2);
    QCOMPARE(column(w, 10), (QStringList{"11.55", "2"}));
    QCOMPARE(total(w), QString("5.45"));
    window(w, QDate(2023, 1, 1), QDate(2023, 12, 31));
    run(w, 2, "BitBtn4");
    QCOMPARE(rows(w), 0);
    QCOMPARE(total(w), QString("0"));
  }

  // More rows than a grid reads at first: every total is the whole result's.
  void totalsCountEveryRowNotTheRowsReadSoFar() {
    QSqlDatabase db = store_.db();
    InTransaction(db, [&] {
      for (int i = 1; i <= 400; ++i) {
        const QString serial = QString("%1").arg(i, 5, 10, QChar('0'));
        addReceipt("进货历史记录", "00001", serial, 1, "2024-02-01", "2025-01-01");
        addReceipt("库存", "00001", serial, 1, "2024-02-01", "2025-01-01");
        addSale("00001", 1, 2.5, "2024-02-01");
      }
    });
    TFormyzcx w;
    w.show();
    window(w, QDate(2024, 2, 1), QDate(2024, 2, 1));
    run(w, 0, "BitBtn3");
    QCOMPARE(total(w), QString("400"));
    run(w, 1, "BitBtn2");
    QCOMPARE(total(w), QString("400"));
    run(w, 2, "BitBtn4");
    QCOMPARE(total(w), QString("600"));
    QCOMPARE(rows(w), 400);
  }

  void expiredListsBatchesBeforeToday() {
    Clock::Set(QDateTime(QDate(2024, 5, 10), QTime(9, 0)));
    addReceipt("库存", "00001", "00001", 1, "2024-01-01", "2024-05-09");
    addReceipt("库存", "00001", "00002", 1, "2024-01-01", "2024-05-10");
    addReceipt("库存", "00002", "00003", 1, "2024-01-01", "2024-06-01");
    TFormyzcx w;
    w.show();
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), "BLG");
    run(w, 3, "BitBtn5");
    QCOMPARE(Find<QDateEdit>(&w, "DateTimePicker2")->date(), QDate(2024, 5, 10));
    QCOMPARE(column(w, 10), QStringList{"2024-05-09"});
    QCOMPARE(total(w), QString("0.00"));
  }
};

BRIMWICK_TEST_MAIN(OwnerQueryTest)
#include "ownerquery.moc"
