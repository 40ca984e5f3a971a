// The return-to-supplier and write-off windows driven as a user would, on
// both stores.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "clinicseed.h"
#include "frontdesk/stagingconfirm.h"
#include "frontdesk/ypbs.h"
#include "frontdesk/ypfk.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "support/testkit.h"

using namespace ClinicSeed;
using ClinicFixture::TableRows;

namespace {
const QDate kToday{2026, 4, 1};
}

class CorrectionWindowsTest : public QObject {
  Q_OBJECT
  QLabel account_;
  QLabel name_;
  Connection store_;
  std::unique_ptr<QWidget> window_;

  QSqlDatabase db() const { return store_.db(); }
  template <typename T>
  T* find(const char* name) {
    return Find<T>(window_.get(), name);
  }
  void open(QWidget* window) {
    window_.reset(window);
    window_->resize(1400, 900);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  // Batch, then pinyin code, then the first receipt row clicked.
  void pick(const QString& batch, const QString& pinyin) {
    TestKit::Type(find<QLineEdit>("Editph"), batch);
    TestKit::PressEnter(find<QLineEdit>("Editph"));
    QVERIFY(!find<QLineEdit>("Editpysx")->isReadOnly());
    TestKit::Type(find<QLineEdit>("Editpysx"), pinyin);
    QVERIFY(find<DataGrid>("DBGrid2")->RecordCount() > 0);
    TestKit::ClickRow(find<DataGrid>("DBGrid2"), 0);
  }
  double number(const QString& sql) { return Number(db(), sql); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void initTestCase() { Session::SetPanels(&account_, &name_); }
  void init() {
    ClinicFixture::Prepare();
    Session::SetLogin("acc1", "药房01");
    Clock::Set(QDateTime(kToday, QTime(10, 0)));
    TestKit::ClearMessages();
    store_ = OpenClinicDatabase();
    Stock(db());
    Goods(db(), "00002", "维生素C", "WSSC", 5);
    Batch(db(), "00002", kBatch, 5);
    Receipt(db(), "00002", kBatch, 5);
    // Another account's staged rows, which show only after a stage.
    const qint64 second = ScalarText(db(), "select 行号 from 入库信息 where 编号 = '00002'").toLongLong();
    QCOMPARE(StageCorrection(db(), {Correction::SupplierReturn, second, "1", "", "acc2", kToday}),
             StagingOutcome::Staged);
    QCOMPARE(StageCorrection(db(), {Correction::WriteOff, second, "1", "", "acc2", kToday}), StagingOutcome::Staged);
  }
  void cleanup() {
    window_.reset();
    store_ = Connection();
    Clock::Reset();
  }

  void supplierReturnStagesAndConfirms() {
    open(new TFormypfk);
    QCOMPARE(find<DataGrid>("DBGrid1")->RecordCount(), 0);  // the account's own on opening
    QVERIFY(find<QLineEdit>("Editpysx")->isReadOnly());
    pick("B1", "amx");
    QCOMPARE(find<QLineEdit>("Editbh")->text(), QString("00001"));
    QCOMPARE(find<QLineEdit>("Editrksl")->text(), QString("10"));
    QCOMPARE(find<QLineEdit>("Editxcsl")->text(), QString("10"));
    TestKit::Type(find<QLineEdit>("Editfksl"), "15");
    QCOMPARE(find<QLineEdit>("Editfksl")->text(), QString("10"));

    for (const char* refused : {"0.0", ".", "abc"}) {
      TestKit::ClearMessages();
      TestKit::Type(find<QLineEdit>("Editfksl"), refused);
      TestKit::Click(find<QPushButton>("BitBtn1"));
      QCOMPARE(TestKit::MessageTexts(), QStringList{"请选择反库信息"});
    }
    QCOMPARE(number("select 数量 from 库存 where 编号 = '00001'"), 20.0);

    TestKit::ClearMessages();
    TestKit::Type(find<QLineEdit>("Editfksl"), "4");
    TestKit::Type(find<QLineEdit>("Editfkyy"), "包装破损");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"您确定本药要反库吗？确定按\"是\""});
    QCOMPARE(TestKit::MessageTitles(), QStringList{"反库提示"});
    QCOMPARE(number("select 数量 from 库存 where 编号 = '00001'"), 16.0);
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '00001'"), 6.0);
    QCOMPARE(number("select 数量 from 入库信息 where 编号 = '00001'"), 6.0);
    QCOMPARE(find<DataGrid>("DBGrid1")->RecordCount(), 2);  // every account's after a stage
    QCOMPARE(find<QLineEdit>("Editfksl")->text(), QString("0"));

    // Picked again from the list with batch quantities: the whole rest.
    auto* receipts = find<DataGrid>("DBGrid2");
    QCOMPARE(receipts->RecordCount(), 1);
    TestKit::ClickRow(receipts, 0);
    QCOMPARE(find<QLineEdit>("Editrksl")->text(), QString("6"));
    TestKit::Type(find<QLineEdit>("Editfksl"), "6");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TableRows(db(), "药品过期表").filter("00001"), QStringList{});
    QCOMPARE(TableRows(db(), "入库信息").filter("00001"), QStringList{});
    QCOMPARE(number("select 数量 from 库存 where 编号 = '00001'"), 10.0);

    TestKit::Click(find<QPushButton>("BitBtn2"));
    QCOMPARE(TableRows(db(), "药品反库信息").size(), 2);
    QCOMPARE(TableRows(db(), "药品反库信息").filter("|包装破损|").size(), 2);  // the reason box keeps its text
    QCOMPARE(TableRows(db(), "临时反库信息").size(), 1);  // acc2's stays
    QCOMPARE(find<DataGrid>("DBGrid1")->RecordCount(), 1);
  }

  void writeOffStagesAndConfirms() {
    open(new TFormypbs);
    QCOMPARE(find<DataGrid>("DBGrid1")->RecordCount(), 0);
    pick("B1", "amx");
    QCOMPARE(find<QLineEdit>("Editxcsl")->text(), QString("10"));
    auto* quantity = find<QLineEdit>("Editfksl");
    quantity->setText("11");  // pasted past the clamp
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"您确定本药要报损吗？确定按\"是\"", "对不起，库存数量不足"}));
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '00001'"), 10.0);
    QVERIFY(find<QLineEdit>("Editpysx")->isReadOnly());

    TestKit::ClearMessages();
    TestKit::Type(find<QLineEdit>("Editph"), "B1");  // a change of the batch opens the pinyin box again
    QVERIFY(!find<QLineEdit>("Editpysx")->isReadOnly());
    TestKit::Type(find<QLineEdit>("Editpysx"), "AMX");
    TestKit::ClickRow(find<DataGrid>("DBGrid2"), 0);
    TestKit::Type(quantity, "12");
    QCOMPARE(quantity->text(), QString("10"));
    TestKit::Type(find<QLineEdit>("Edityy"), "受潮");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TableRows(db(), "药品过期表").filter("00001"), QStringList{"00001|B1|0|2026-01-01|730|2028-01-01"});
    QCOMPARE(number("select 数量 from 入库信息 where 编号 = '00001'"), 10.0);
    QCOMPARE(number("select 数量 from 库存 where 编号 = '00001'"), 10.0);
    QCOMPARE(find<DataGrid>("DBGrid1")->RecordCount(), 2);

    TestKit::Click(find<QPushButton>("BitBtn5"));
    QCOMPARE(TableRows(db(), "药品报损信息"),
             QStringList{"00001|2026-01-05|2026-04-01|B1|10|8|12.5|供货商甲|rk01|acc1|受潮|80|125"});
    QCOMPARE(TableRows(db(), "药品报损临时信息").size(), 1);
  }

  // A staging the store refuses leaves the quantity box at 0, as one that
  // went through does.
  void refusedReturnEmptiesTheQuantity() {
    open(new TFormypfk);
    pick("B1", "amx");
    find<QLineEdit>("Editfksl")->setText("11");  // pasted past the clamp
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), (QStringList{"您确定本药要反库吗？确定按\"是\"", "对不起，库存数量不足"}));
    QCOMPARE(find<QLineEdit>("Editfksl")->text(), QString("0"));
    QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '00001'"), 10.0);
    QVERIFY(find<QLineEdit>("Editpysx")->hasFocus());
  }

  // The check goes by the batch of the receipt row picked, which is the
  // one lowered, whatever the batch box was changed to since.
  void theCheckedBatchIsThePickedRows() {
    for (const bool writeOff : {false, true}) {
      open(writeOff ? static_cast<QWidget*>(new TFormypbs) : new TFormypfk);
      pick("B1", "amx");
      TestKit::Type(find<QLineEdit>("Editfksl"), "1");
      TestKit::Type(find<QLineEdit>("Editph"), "ZZ9");
      TestKit::ClearMessages();
      TestKit::Click(find<QPushButton>("BitBtn1"));
      QCOMPARE(TestKit::MessageTexts().size(), 1);  // the question only
      QCOMPARE(number("select 数量 from 药品过期表 where 编号 = '00001'"), writeOff ? 8.0 : 9.0);
    }
    // A click puts the code in trimmed.
    Goods(db(), "00003  ", "甘草片", "GCP", 5);
    Receipt(db(), "00003  ", kBatch, 5);
    TestKit::Type(find<QLineEdit>("Editph"), kBatch);
    TestKit::Type(find<QLineEdit>("Editpysx"), "GCP");
    TestKit::ClickRow(find<DataGrid>("DBGrid2"), 0);
    QCOMPARE(find<QLineEdit>("Editbh")->text(), QString("00003"));
  }

  void batchNotHereIsRefused() {
    open(new TFormypbs);
    pick("B1", "WSSC");
    Exec(db(), "delete from 药品过期表 where 编号 = '00002'");
    TestKit::Type(find<QLineEdit>("Editfksl"), "1");
    TestKit::Click(find<QPushButton>("BitBtn1"));
    QCOMPARE(TestKit::MessageTexts(), QStringList{"对不起，您的药品不是本医院药品!对您的行为表示遗憾"});
    QCOMPARE(TableRows(db(), "药品报损临时信息").size(), 1);
  }
};

BRIMWICK_TEST_MAIN(CorrectionWindowsTest)
#include "corrections.moc"
