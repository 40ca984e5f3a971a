// The inpatient fee statistics window on both stores: which lines belong
// to a stay, their totals by category and overall, and two desks running
// the statistics for two patients side by side.
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "reports/zyhzhzb.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"
#include "reportwindow.h"

using ClinicFixture::InsertRow;
using ClinicFixture::TableRows;

namespace {
void Visit(const QSqlDatabase& db, const QString& category, int serial, const QString& name, const QString& day) {
  InsertRow(db, "患者信息", {{"收费类别", category}, {"流水号", serial}, {"姓名", name}, {"时间", day},
                             {"药费(元)", 0}, {"服务费(元)", 0}, {"划价人帐号", "acc01"}});
}
void Medicine(const QSqlDatabase& db, int serial, const QString& code, const QString& day, const QString& category,
              double quantity, double price) {
  InsertRow(db, "出库信息", {{"流水号", serial}, {"编号", code}, {"时间", day}, {"数量", quantity},
                             {"单价(元)", price}, {"划价人帐号", "acc01"}, {"收费类别", category}});
}
void Service(const QSqlDatabase& db, int serial, const QString& kind, const QString& day, const QString& category,
             double fee) {
  InsertRow(db, "服务信息", {{"服务类别", kind}, {"流水号", serial}, {"时间", day}, {"服务费(元)", fee},
                             {"划价人帐号", "acc01"}, {"收费类别", category}});
}

QStringList Rows(DataGrid* grid) {
  QStringList rows;
  for (int row = 0; row < grid->RecordCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < grid->Model()->columnCount(); ++column)
      cells << grid->Model()->data(grid->Model()->index(row, column)).toString();
    rows << cells.join('|');
  }
  rows.sort();
  return rows;
}
}  // namespace

class InpatientFeesTest : public QObject {
  Q_OBJECT

  Connection store_;
  QSqlDatabase db() const { return store_.db(); }

  // Picks the patient from the list as a user does: into the box, down to
  // the name, out to the first date.
  void pick(TFormzyhzhz& w, const QString& name) {
    auto* box = Find<QComboBox>(&w, "ComboBox1");
    box->setFocus(Qt::TabFocusReason);
    const int index = box->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    for (int i = 0; i <= index; ++i) QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(Find<QDateEdit>(&w, "DateTimePicker1")->hasFocus());
  }
  void report(TFormzyhzhz& w, const QString& name) {
    pick(w, name);
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 11, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(QDate(2026, 11, 10));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
  }
  QString text(TFormzyhzhz& w, const char* box) { return Find<QLineEdit>(&w, box)->text(); }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    TestKit::ClearMessages();
    Clock::Set(QDateTime(QDate(2026, 11, 10), QTime(9, 0)));
    store_ = OpenClinicDatabase();
    InsertRow(db(), "药品信息", {{"编号", "00001"}, {"品名", "阿莫西林"}, {"厂商", "甲厂"}, {"类别", "西药"}});
    InsertRow(db(), "药品信息", {{"编号", "00002"}, {"品名", "板蓝根"}, {"厂商", "乙厂"}, {"类别", "中成药"}});
    InsertRow(db(), "入院信息表", {{"姓名", "张三"}});
    InsertRow(db(), "入院信息表", {{"姓名", "李四"}});
    // Two inpatient visits of 张三 within the stay.
    Visit(db(), "住院", 1, "张三", "2026-11-02");
    Medicine(db(), 1, "00001", "2026-11-02", "住院", 2, 10);
    Medicine(db(), 1, "00002", "2026-11-02", "住院", 1, 6.5);
    Service(db(), 1, "注射", "2026-11-02", "住院", 15);
    Visit(db(), "住院", 2, "张三", "2026-11-05");
    Medicine(db(), 2, "00001", "2026-11-05", "住院", 1, 10);
    Medicine(db(), 2, "00009", "2026-11-05", "住院", 1, 3);  // not in the goods list
    Medicine(db(), 2, "00001", "2026-11-12", "住院", 5, 10);  // after the stay
    Service(db(), 2, "注射", "2026-11-05", "住院", 15);
    Service(db(), 2, "换药", "2026-11-05", "住院", 8);
    // An outpatient visit of 张三, and a line of another category.
    Visit(db(), "门诊", 3, "张三", "2026-11-03");
    Medicine(db(), 3, "00001", "2026-11-03", "门诊", 1, 10);
    Medicine(db(), 1, "00002", "2026-11-02", "门诊", 1, 100);
    // 李四's stay.
    Visit(db(), "住院", 4, "李四", "2026-11-04");
    Medicine(db(), 4, "00002", "2026-11-04", "住院", 3, 2);
    Service(db(), 4, "护理", "2026-11-04", "住院", 30);
  }
  void cleanup() {
    store_ = Connection();
    Clock::Reset();
  }

  void statisticsCoverTheStaysInpatientLinesOnly() {
    TFormzyhzhz w;
    QVERIFY(ShowActive(w));
    QCOMPARE(w.windowTitle(), QString("住院患者费用统计表"));
    QCOMPARE(Find<QComboBox>(&w, "ComboBox1")->currentText(), QString("请选择患者姓名"));
    QCOMPARE(text(w, "Edit2"), QString("0"));
    report(w, "张三");
    QCOMPARE(Find<QComboBox>(&w, "ComboBox1")->currentText(), QString("张三"));
    // The goods list names three of the four lines; the totals count all.
    QCOMPARE(Rows(Find<DataGrid>(&w, "DBGrid2")),
             (QStringList{"板蓝根|2026-11-02|1|6.50|6.50|乙厂|acc01|", "阿莫西林|2026-11-02|2|10.00|20.00|甲厂|acc01|",
                          "阿莫西林|2026-11-05|1|10.00|10.00|甲厂|acc01|"}));
    QCOMPARE(Rows(Find<DataGrid>(&w, "DBGridyp")), (QStringList{"中成药|6.50", "西药|30.00"}));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid4")->RecordCount(), 3);
    QCOMPARE(Rows(Find<DataGrid>(&w, "DBGrid3")), (QStringList{"换药|1|8.00", "注射|2|30.00"}));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid3")->Model()->headerData(2, Qt::Horizontal).toString(), QString("服务费(元)"));
    QCOMPARE(text(w, "Edit2"), QString("39.50"));
    QCOMPARE(text(w, "Edit6"), QString("38.00"));
    QCOMPARE(text(w, "Edit5"), QString("77.50"));
    // Nothing is left in the shared tables.
    QVERIFY(TableRows(db(), "住院患者药品统计表").isEmpty());
    QVERIFY(TableRows(db(), "住院患者服务统计表").isEmpty());
  }

  void noPatientChosenShowsNothing() {
    TFormzyhzhz w;
    QVERIFY(ShowActive(w));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(Find<DataGrid>(&w, "DBGrid2")->RecordCount(), 0);
    QCOMPARE(Find<DataGrid>(&w, "DBGrid3")->RecordCount(), 0);
    QCOMPARE(text(w, "Edit2"), QString("0.00"));
    QCOMPARE(text(w, "Edit6"), QString("0.00"));
    QCOMPARE(text(w, "Edit5"), QString("0.00"));
  }

  void leavingTheBoxKeepsTheLastPickAndItsListIsReadAgain() {
    TFormzyhzhz w;
    QVERIFY(ShowActive(w));
    auto* box = Find<QComboBox>(&w, "ComboBox1");
    box->setFocus(Qt::TabFocusReason);
    QCOMPARE(box->count(), 2);
    // Typed keys go nowhere.
    QTest::keyClicks(box, "ls");
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->currentText(), QString("请选择患者姓名"));
    Find<QPushButton>(&w, "BitBtn1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(box->currentText(), QString());
    QCOMPARE(box->count(), 0);
    pick(w, "李四");
    QCOMPARE(box->currentText(), QString("李四"));
    QCOMPARE(box->count(), 0);
  }

  // A pick the box tells only by its changed text (as a list or a
  // program setting the current entry does) is a pick all the same.
  void aPickSeenOnlyAsChangedTextCounts() {
    TFormzyhzhz w;
    QVERIFY(ShowActive(w));
    auto* box = Find<QComboBox>(&w, "ComboBox1");
    box->setFocus(Qt::TabFocusReason);
    box->setCurrentIndex(box->findText("张三"));
    Find<QPushButton>(&w, "BitBtn1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(box->currentText(), QString("张三"));
    Find<QDateEdit>(&w, "DateTimePicker1")->setDate(QDate(2026, 11, 1));
    Find<QDateEdit>(&w, "DateTimePicker2")->setDate(QDate(2026, 11, 10));
    TestKit::Click(Find<QPushButton>(&w, "BitBtn1"));
    QCOMPARE(text(w, "Edit5"), QString("77.50"));
  }

  void twoDesksEachSeeTheirOwnPatient() {
    TFormzyhzhz first;
    TFormzyhzhz second;
    QVERIFY(ShowActive(first));
    report(first, "张三");
    QVERIFY(ShowActive(second));
    report(second, "李四");
    QCOMPARE(Rows(Find<DataGrid>(&second, "DBGrid2")), QStringList{"板蓝根|2026-11-04|3|2.00|6.00|乙厂|acc01|"});
    QCOMPARE(text(second, "Edit5"), QString("36.00"));
    TestKit::Click(Find<QPushButton>(&first, "BitBtn1"));
    QCOMPARE(Find<DataGrid>(&first, "DBGrid2")->RecordCount(), 3);
    QCOMPARE(text(first, "Edit5"), QString("77.50"));
  }
};

BRIMWICK_TEST_MAIN(InpatientFeesTest)
#include "inpatientfees.moc"
