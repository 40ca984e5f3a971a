// The four front-desk windows opened from the main window by their
// commands, on the clinic demo: each shows what the demo and the desks
// wrote, and the inpatient desk admits and books as a user would.
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTextStream>

#include "app/denglu.h"
#include "app/zjm.h"
#include "db/clinicdb.h"
#include "db/datadir.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/loginframe.h"
#include "support/testkit.h"
#include "tools/lib/loadcommand.h"

using ClinicFixture::InsertRow;

namespace {
// Every column of a grid at least as wide as the window asks, and its title
// and each cell on screen whole in the grid's font: the text, the margins
// the style keeps on either side and the grid line; a title, the header's
// margins.
void CheckShownWhole(const DataGrid* grid, const QList<int>& leastWidths) {
  const QByteArray name = grid->objectName().toUtf8();
  QVERIFY2(grid->RecordCount() > 0, name + " is empty");
  const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
  const QFontMetrics font(grid->font());
  const QFontMetrics titleFont(grid->horizontalHeader()->font());
  const int titleMargins = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid);
  const int lastRow = grid->rowAt(grid->viewport()->height() - 1);
  const int rows = lastRow < 0 ? grid->RecordCount() : lastRow + 1;
  for (int c = 0; c < grid->Model()->columnCount(); ++c) {
    const int width = grid->columnWidth(c);
    const QString title = grid->Model()->headerData(c, Qt::Horizontal).toString();
    const QByteArray column = name + " column " + title.toUtf8() + " " + QByteArray::number(width);
    QVERIFY2(width >= leastWidths.value(c), column);
    QVERIFY2(titleFont.horizontalAdvance(title) + titleMargins <= width, column);
    for (int r = grid->rowAt(0); r < rows; ++r) {
      const QString text = grid->Model()->data(grid->Model()->index(r, c)).toString();
      QVERIFY2(font.horizontalAdvance(text) + margins <= width, column + " cuts " + text.toUtf8());
    }
  }
}
}  // namespace

class DeskMenuTest : public QObject {
  Q_OBJECT
  LoginFrame frame_;

  QString count(const QString& sql) {
    Connection c = OpenClinicDatabase();
    return ScalarText(c.db(), sql);
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    frame_.Open();
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(RunClinicLoad({DataDir(), TestKit::DemoFolder()}, out, err), 0);
    Connection c = OpenClinicDatabase();
    InsertRow(c.db(), "患者信息",
              {{"收费类别", "住院"}, {"流水号", 1}, {"姓名", "张三"}, {"时间", "2026-12-07"}, {"药费(元)", 30},
               {"服务费(元)", 12.5}, {"划价人帐号", "acc01"}, {"收银人帐号", "收银01"}});
    TestKit::Type(Find<QLineEdit>(frame_.login.get(), "Edit4"), "admin");
    TestKit::Type(Find<QLineEdit>(frame_.login.get(), "Edit1"), "管理员");
    TestKit::Type(Find<QLineEdit>(frame_.login.get(), "Edit3"), "admin");
    TestKit::PressEnter(Find<QLineEdit>(frame_.login.get(), "Edit3"));
  }
  void cleanup() {
    frame_.Close();
    Clock::Reset();
  }

  void everyDeskWindowOpensFromItsCommand() {
    QVERIFY(frame_.main->isVisible());
    QWidget* fees = frame_.Command("N43");
    QVERIFY(fees);
    QCOMPARE(fees->windowTitle(), QString("今日患者信息报表"));
    QCOMPARE(Find<QLineEdit>(fees, "Editzy")->text(), QString("42.50"));
    QCOMPARE(Find<QLineEdit>(fees, "Edit4")->text(), QString("1"));

    QWidget* lists = frame_.Command("Nfwlb");
    QVERIFY(lists);
    QCOMPARE(lists->windowTitle(), QString("服务类别维护"));
    QCOMPARE(QString::number(Find<DataGrid>(lists, "DBGrid1")->RecordCount()), count("select count(*) from 服务项目"));
    QCOMPARE(QString::number(Find<DataGrid>(lists, "DBGrid2")->RecordCount()), count("select count(*) from 药品单位"));
    QCOMPARE(QString::number(Find<DataGrid>(lists, "DBGrid3")->RecordCount()), count("select count(*) from 药品来源"));
    QVERIFY(Find<DataGrid>(lists, "DBGrid1")->RecordCount() > 0);

    QWidget* shares = frame_.Command("N44");
    QVERIFY(shares);
    QCOMPARE(shares->windowTitle(), QString("财务比例分配设置单"));
    QCOMPARE(QString::number(Find<DataGrid>(shares, "DBGrid1")->RecordCount()), count("select count(*) from 比例分配表"));

    QWidget* inpatients = frame_.Command("N39");
    QVERIFY(inpatients);
    QCOMPARE(inpatients->windowTitle(), QString("住院患者费用管理"));
    TestKit::Type(Find<QLineEdit>(inpatients, "Edit1"), "张三");
    Find<QComboBox>(inpatients, "ComboBox1")->setCurrentIndex(0);
    TestKit::Click(Find<QPushButton>(inpatients, "BitBtn3"));
    TestKit::ClickRow(Find<DataGrid>(inpatients, "DBGrid2"), 0);
    TestKit::Type(Find<QLineEdit>(inpatients, "Edit2"), "500");
    TestKit::PressEnter(Find<QLineEdit>(inpatients, "Edit2"));
    TestKit::PressEnter(Find<QPushButton>(inpatients, "BitBtn1"));
    QCOMPARE(count("select 操作人帐号 from 住院患者押金表 where 姓名 = '张三'"), QString("管理员"));
    QCOMPARE(Find<QLineEdit>(inpatients, "Edit5")->text(), QString("500"));
  }

  // The stock and prices of the pricing desk and the batch and expiry of
  // the warning lists are what those windows are for: none may be cut,
  // and quantities show as stored.
  void demoFiguresShowWhole() {
    QWidget* pricing = frame_.Command("N25");
    QVERIFY(pricing);
    QCoreApplication::processEvents();
    const auto* goods = Find<DataGrid>(pricing, "DBGrid3");
    CheckShownWhole(goods, {40, 240, 40, 40, 40, 80, 210});
    QCOMPARE(goods->Model()->data(goods->Model()->index(0, 2)).toString(), QString("40"));
    QCOMPARE(goods->Model()->data(goods->Model()->index(0, 4)).toString(), QString("12.50"));
    pricing->parentWidget()->close();

    QWidget* expiry = frame_.Command("N38");
    QVERIFY(expiry);
    QCoreApplication::processEvents();
    for (const char* grid : {"DBGrid1", "DBGrid2"})
      CheckShownWhole(Find<DataGrid>(expiry, grid), {60, 120, 60, 60, 60, 60, 60, 60});

    // A staged return's maker stands past the widths the window sets.
    {
      Connection c = OpenClinicDatabase();
      InsertRow(c.db(), "出库信息",
                {{"流水号", 1}, {"编号", "1005"}, {"时间", "2026-12-07"}, {"数量", 1}, {"单价(元)", 15.5},
                 {"出库人帐号", "药房01"}, {"划价人帐号", "acc01"}, {"收银人帐号", "收银01"}, {"开方医师", "院长"},
                 {"收费类别", "住院"}});
    }
    QWidget* returns = frame_.Command("N24");
    QVERIFY(returns);
    TestKit::PressEnter(Find<QDateEdit>(returns, "DateTimePicker1"));
    TestKit::Type(Find<QLineEdit>(returns, "Edit1"), "张三");
    TestKit::PressEnter(Find<QLineEdit>(returns, "Edit1"));
    TestKit::ClickRow(Find<DataGrid>(returns, "DBGrid2"), 0);
    TestKit::Type(Find<QLineEdit>(returns, "Editph"), "2026051305");
    TestKit::Click(Find<QPushButton>(returns, "BitBtn1"));
    CheckShownWhole(Find<DataGrid>(returns, "DBGrid3"), {50, 120, 60, 60, 60, 60, 60});
  }
};

BRIMWICK_TEST_MAIN(DeskMenuTest)
#include "deskmenu.moc"
