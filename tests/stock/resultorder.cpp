#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "stock/hjt.h"
#include "stock/yzcx.h"
#include "support/testkit.h"

// The order the owner's query and the issue window's stock search list
// their rows in, and the store's way to each line's goods columns.
class ResultOrderTest : public QObject {
  Q_OBJECT

  Connection store_;

  // Two goods entered against the order of their numbers, with lines dated
  // against the order the goods were entered.
  void fill() {
    for (const auto& [code, search, name] : {std::tuple{"00002", "ZXB", "后录"}, std::tuple{"00001", "ZXA", "先号"}})
      Exec(store_.db(), "insert into 基本资料 (编号, 拼音缩写, 品名, 单位) values (?, ?, ?, '盒')", {code, search, name});
    for (const char* table : {"进货历史记录", "库存"}) {
      const QString insert = QString("insert into %1 values (?, ?, ?, 1, 1, 2, 1, ?, '2020-01-01')").arg(table);
      Exec(store_.db(), insert, {"00002", "000002", "ZXB", "2024-03-02"});
      Exec(store_.db(), insert, {"00001", "000001", "ZXA", "2024-03-01"});
    }
    const QString sale = "insert into 出库记录 values (?, '000001', ?, 1, 1, 2, 1, 2, ?)";
    Exec(store_.db(), sale, {"00002", "ZXB", "2024-03-02"});
    Exec(store_.db(), sale, {"00001", "ZXA", "2024-03-01"});
  }

  QStringList names(DataGrid* grid, int column) {
    QStringList texts;
    for (int r = 0; r < grid->RecordCount(); ++r) texts << grid->Model()->Value(r, column).toString();
    return texts;
  }

  QStringList ownerRows(TFormyzcx& w, int type, const char* button, const QString& code) {
    TestKit::Type(Find<QLineEdit>(&w, "Edit1"), code);
    TestKit::Click(Find<QRadioButton>(&w, QString("RadioGroup1_%1").arg(type)));
    TestKit::Click(Find<QPushButton>(&w, button));
    return names(Find<DataGrid>(&w, "DBGrid1"), 1);
  }

  QString plan(const QString& sql, const QVariantList& values) {
    QSqlQuery steps = Exec(store_.db(), "explain query plan " + sql, values);
    QStringList details;
    while (steps.next()) details << steps.value(3).toString();
    return details.join(" / ");
  }

 private slots:
  void init() {
    TestKit::FreshDataDir();
    TestKit::ClearMessages();
    store_ = OpenShopDatabase();
    fill();
  }
  void cleanup() { store_ = Connection(); }

  // A typed code lists goods as the catalogue holds them, each with its
  // lines; no code lists the lines as they are stored.
  void ownerQueriesKeepTheirOrder() {
    TFormyzcx w;
    w.show();
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2024, 1, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(QDate(2024, 12, 31));
    const QStringList entered = {"后录", "先号"}, dated = {"先号", "后录"};
    QCOMPARE(ownerRows(w, 0, "BitBtn3", "ZX"), entered);
    QCOMPARE(ownerRows(w, 1, "BitBtn2", "ZX"), entered);
    QCOMPARE(ownerRows(w, 2, "BitBtn4", "ZX"), entered);
    QCOMPARE(ownerRows(w, 0, "BitBtn3", ""), dated);
    QCOMPARE(ownerRows(w, 1, "BitBtn2", ""), entered);
    QCOMPARE(ownerRows(w, 2, "BitBtn4", ""), dated);
    QCOMPARE(ownerRows(w, 3, "BitBtn5", ""), entered);
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void issueSearchListsBatchesAsStored() {
    TFormhjt w;
    w.show();
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "ZX");
    QCOMPARE(names(Find<DataGrid>(&w, "DBGrid1"), 3), (QStringList{"后录", "先号"}));
    TestKit::Type(Find<QLineEdit>(&w, "Edit3"), "ZXA");
    QCOMPARE(names(Find<DataGrid>(&w, "DBGrid1"), 3), QStringList{"先号"});
  }

  // A line's goods columns come from one index lookup; a typed code reads
  // the catalogue itself, in the order it is stored.
  void linesFindTheirGoodsInOneLookup() {
    const QVariantList year = {"2024-01-01", "2024-12-31", "%%"};
    const QString covering = "SEARCH ypxx USING COVERING INDEX 基本资料_覆盖 (编号=?)";
    QVERIFY2(plan(kSelectReceipts.all, year).contains(covering), qPrintable(plan(kSelectReceipts.all, year)));
    QVERIFY(plan(kSelectSales.all, year).contains(covering));
    QVERIFY(plan(kSelectStock.all, {"%%"}).contains(covering));
    QVERIFY(plan(kSelectExpired, {"2024-01-01"}).contains(covering));
    QVERIFY(plan(kSelectStockBySearch, {"%ZX%"}).contains(covering));
    for (const CodedQuery* query : {&kSelectReceipts, &kSelectSales})
      QVERIFY2(plan(query->byCode, year).startsWith("SCAN ypxx / "), qPrintable(plan(query->byCode, year)));
    QVERIFY(plan(kSelectStock.byCode, {"%ZX%"}).startsWith("SCAN ypxx / "));
  }
};

BRIMWICK_TEST_MAIN(ResultOrderTest)
#include "resultorder.moc"
