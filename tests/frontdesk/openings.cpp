// What each front-desk and dispensary window shows as it opens on an empty
// store, on both stores: its caption, the titles, order and widths of its
// grids' columns, and the texts and states of its boxes and buttons.
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "frontdesk/blfpb.h"
#include "frontdesk/fwlbwh.h"
#include "frontdesk/fyt.h"
#include "frontdesk/hzty.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/kccx.h"
#include "frontdesk/syt.h"
#include "frontdesk/ypbs.h"
#include "frontdesk/ypfk.h"
#include "frontdesk/yxqyj.h"
#include "frontdesk/zgyy.h"
#include "frontdesk/zyhzfy.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/session.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
// The titles of the grid's shown columns, in their order.
QStringList Titles(DataGrid* grid) {
  QStringList titles;
  for (int i = 0; i < grid->model()->columnCount(); ++i)
    if (!grid->isColumnHidden(i)) titles << grid->model()->headerData(i, Qt::Horizontal).toString();
  return titles;
}
}  // namespace

class WindowOpeningsTest : public QObject {
  Q_OBJECT
  QLabel account_, userName_;
  std::unique_ptr<QWidget> window_;

  template <typename T>
  T* in(const char* name) {
    return Find<T>(window_.get(), name);
  }
  QString text(const char* box) { return in<QLineEdit>(box)->text(); }
  bool readOnly(const char* box) { return in<QLineEdit>(box)->isReadOnly(); }
  bool hidden(const char* name) { return in<QWidget>(name)->isHidden(); }
  // The grid's columns in order with their titles, and the widths set for
  // the first of them.
  void columns(const char* name, const QStringList& titles, const QList<int>& widths) {
    DataGrid* grid = in<DataGrid>(name);
    QCOMPARE(Titles(grid), titles);
    QCOMPARE(TestKit::LeastWidths(grid, widths.size()), widths);
  }
  // Each box with its text and whether only the window writes it.
  void boxes(const QList<std::tuple<const char*, QString, bool>>& expected) {
    for (const auto& [name, text, readOnly] : expected) {
      QCOMPARE(in<QLineEdit>(name)->text(), text);
      QVERIFY2(in<QLineEdit>(name)->isReadOnly() == readOnly, name);
    }
  }
  void buttons(const QList<std::pair<const char*, QString>>& expected) {
    for (const auto& [name, caption] : expected) QCOMPARE(in<QPushButton>(name)->text(), caption);
  }
  void labels(const QStringList& texts) {
    QStringList shown;
    for (const QLabel* label : window_->findChildren<QLabel*>()) shown << label->text();
    for (const QString& text : texts) QVERIFY2(shown.contains(text), qPrintable(text));
  }
  void open(QWidget* window) {
    window_.reset(window);
    window_->resize(1400, 1000);
    window_->show();
  }

 private slots:
  void initTestCase_data() { ClinicFixture::AddStoreRows(); }
  void init() {
    ClinicFixture::Prepare();
    Clock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    Session::SetPanels(&account_, &userName_);
    Session::SetLogin("acc01", "操作员");
    TestKit::ClearMessages();
  }
  void cleanup() {
    window_.reset();
    Session::SetPanels(nullptr, nullptr);
    Clock::Reset();
  }

  void pricing() {
    open(new TFormzgyy);
    QCOMPARE(window_->windowTitle(), QString("职工用药"));
    columns("DBGrid1", {"编号", "品名", "数量", "单位", "单价(元)", "总价(元)", "规格", "厂商"},
            {50, 160, 60, 60, 60, 60, 60});
    columns("DBGrid3", {"编号", "品名", "数量", "单位", "售价(元)", "规格", "厂商"}, {40, 240, 40, 40, 40, 80, 210});
    QCOMPARE(in<QComboBox>("ComboBox3")->currentText(), QString("请选择收费类别"));
    QCOMPARE(in<QComboBox>("ComboBoxys")->currentText(), QString("请选择医师"));
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("重新开方"));
    QCOMPARE(in<QPushButton>("BitBtn3")->text(), QString("药品输入"));
    QCOMPARE(in<QPushButton>("BitBtn2")->text(), QString("制作开方凭证"));
    QVERIFY(hidden("BitBtn2"));
    QVERIFY(!hidden("BitBtn3"));
    QVERIFY(hidden("Editlsh"));
    for (const char* box : {"Editkcsl", "Editjj", "Editbh", "Edit3", "Edit2"}) QVERIFY2(readOnly(box), box);
    for (const char* box : {"Edit1", "Editsl", "Editdj", "Editpysx"}) QVERIFY2(!readOnly(box), box);
    for (const char* box : {"Editkcsl", "Editsl", "Editdj", "Editjj"}) QCOMPARE(text(box), QString("0"));
    QCOMPARE(text("Editlsh"), QString("1"));
    QCOMPARE(text("Edit2"), QString("0.00"));
  }

  void cashier() {
    open(new TFormsyt);
    QCOMPARE(window_->windowTitle(), QString("收银台"));
    columns("DBGrid1", {"收费类别", "流水号", "姓名", "时间", "药费(元)", "服务费(元)", "划价人帐号"},
            {80, 60, 80, 60, 60, 60, 80});
    QCOMPARE(text("Edit1"), QString());
    QCOMPARE(text("Edit2"), QString("0"));
    QCOMPARE(text("Edit3"), QString("0.00"));
    QCOMPARE(text("Editjrzsr"), QString("0.00"));
    for (const char* box : {"Edit2", "Edit3", "Editjrzsr"}) QVERIFY2(readOnly(box), box);
    QVERIFY(!readOnly("Edit1"));
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("制作凭证"));
    QCOMPARE(in<QPushButton>("BitBtn2")->text(), QString("刷新记录"));
    QVERIFY(hidden("BitBtn1"));
  }

  void dispensary() {
    open(new TFormfyt);
    QCOMPARE(window_->windowTitle(), QString("付药台"));
    columns("DBGrid1", {"姓名", "流水号", "时间", "划价人帐号", "收银人帐号"}, {120, 120, 120, 120, 120});
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("刷新"));
  }

  void patientReturns() {
    open(new TFormhzty);
    QCOMPARE(window_->windowTitle(), QString("患者退药"));
    columns("DBGrid2",
            {"编号", "品名", "时间", "数量", "单价(元)", "总价(元)", "厂商", "流水号", "划价人帐号", "开方医师"},
            {60, 120, 60, 60, 60, 60, 160, 60, 60, 60});
    columns("DBGrid4", {"服务类别", "流水号", "时间", "服务费(元)", "开方医师", "服务人", "划价人帐号"},
            {60, 120, 60, 60, 60, 60, 160});
    QCOMPARE(in<QDateEdit>("DateTimePicker1")->date(), QDate(2026, 12, 7));
    QCOMPARE(in<QDateEdit>("DateTimePicker2")->date(), QDate(2026, 12, 7));
    QVERIFY(hidden("Edit1"));
    QVERIFY(hidden("Label1"));
    QCOMPARE(in<QLabel>("Label1")->text(), QString("患者姓名：       "));
    QCOMPARE(in<QLineEdit>("Edit1")->toolTip(), QString("请先选择时间"));
    QCOMPARE(in<DataGrid>("DBGrid1")->toolTip(), QString("请选择"));
    for (const char* box : {"Edit5", "Edit3", "Edit4", "Edit6"}) {
      QCOMPARE(text(box), QString("0.00"));
      QVERIFY2(readOnly(box), box);
    }
    QVERIFY(readOnly("Editpm"));
    QCOMPARE(text("Editsl"), QString("0"));
    QCOMPARE(text("Edityxq"), QString("0"));
    for (const char* box : {"Edit2", "Editbh", "Editlsh"}) QVERIFY2(hidden(box), box);
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("退药 "));
    QCOMPARE(in<QPushButton>("BitBtn3")->text(), QString("退费"));
    QCOMPARE(in<QPushButton>("BitBtn2")->text(), QString("制作退药凭证"));
    for (const char* button : {"BitBtn1", "BitBtn2", "BitBtn3"}) QVERIFY2(hidden(button), button);
    QVERIFY(!in<DataGrid>("DBGrid3")->isEnabled());
  }

  void supplierReturn() {
    open(new TFormypfk);
    QCOMPARE(window_->windowTitle(), QString("药品反库"));
    columns("DBGrid1",
            {"编号", "品名", "入库时间", "返库时间", "药品批号", "数量", "单位", "单价(元)", "总价(元)", "药品来源",
             "厂商", "入库人帐号", "返库原因"},
            {60, 120, 70, 70, 60, 60, 60, 60, 60, 60, 120, 60});
    columns("DBGrid2",
            {"编号", "品名", "时间", "药品批号", "数量", "单位", "单价(元)", "总价(元)", "售价(元)", "药品来源", "厂商",
             "入库人帐号"},
            {60, 120, 70, 60, 40, 40, 60, 60, 120, 120, 60});
    QVERIFY(readOnly("Editpysx"));
    QCOMPARE(in<QLineEdit>("Editpysx")->toolTip(), QString("请先输入药品批号"));
    for (const char* box : {"Editbh", "Editpm", "Editrksl", "Editxcsl"}) QVERIFY2(readOnly(box), box);
    QCOMPARE(text("Editrksl"), QString("0"));
    QCOMPARE(text("Editfksl"), QString("0"));
    QCOMPARE(text("Editxcsl"), QString("0.00"));
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("药品返库"));
    QCOMPARE(in<QPushButton>("BitBtn2")->text(), QString("确认返库"));
  }

  void writeOff() {
    open(new TFormypbs);
    QCOMPARE(window_->windowTitle(), QString("药品报损信息"));
    columns("DBGrid1",
            {"编号", "品名", "入库时间", "报损时间", "药品批号", "数量", "单位", "单价(元)", "总价(元)", "药品来源",
             "厂商", "入库人帐号", "报损原因"},
            {60, 120, 60, 60, 60, 60, 60, 60, 60, 60, 120});
    columns("DBGrid2",
            {"编号", "品名", "时间", "药品批号", "数量", "单位", "单价(元)", "总价(元)", "零售单价(元)", "药品来源",
             "厂商", "入库人帐号"},
            {60, 120, 60, 60, 40, 40, 60, 60, 120, 120, 60, 60});
    QVERIFY(readOnly("Editpysx"));
    for (const char* box : {"Editbh", "Editpm", "Editxcsl"}) QVERIFY2(readOnly(box), box);
    QCOMPARE(text("Editxcsl"), QString("0"));
    QCOMPARE(text("Editfksl"), QString("0"));
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("药品报损"));
    QCOMPARE(in<QPushButton>("BitBtn5")->text(), QString("确认报损"));
  }

  void warnings() {
    open(new TFormkccx);
    QCOMPARE(window_->windowTitle(), QString("低库存报警"));
    columns("DBGrid1", {"编号", "品名", "下限", "数量", "单位", "类别", "规格", "厂商"},
            {50, 160, 60, 60, 60, 60, 100, 160});
    QVERIFY(readOnly("Edit3"));
    open(new TFormyxqyj);
    QCOMPARE(window_->windowTitle(), QString("药品过期预警"));
    for (const char* grid : {"DBGrid1", "DBGrid2"})
      columns(grid, {"编号", "品名", "药品批号", "数量", "单位", "规格", "厂商", "过期时间"},
              {60, 120, 60, 60, 60, 60, 60, 60});
    QCOMPARE(in<QLabel>("Label8")->text(), QString("药品过期预警"));
    QCOMPARE(in<QLabel>("Label1")->text(), QString("药品过期报警"));
    QCOMPARE(in<QPushButton>("BitBtn1")->text(), QString("药品过期预警报表"));
    QCOMPARE(in<QPushButton>("BitBtn2")->text(), QString("过期药品报表"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void todaysPatientFees() {
    open(new TFormjrhzxi);
    QCOMPARE(window_->windowTitle(), QString("今日患者信息报表"));
    columns("DBGrid1", {"流水号", "收费类别", "时间", "姓名", "药费(元)", "服务费(元)", "收入金额(元)", "划价人帐号"},
            {80, 80, 80, 80, 80, 80, 80});
    boxes({{"Editmz", "0.00", true},
           {"Edit3", "0", true},
           {"Editzy", "0.00", true},
           {"Edit4", "0", true},
           {"Editzj", "0", false}});
    QVERIFY(in<DataGrid>("DBGrid2")->isHidden());
    QVERIFY(in<DataGrid>("DBGrid3")->isHidden());
    labels({"今日患者费用查询表          ", "门诊合计：", "处方数：", "住院合计：", "总金额：", "元", "份"});
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void inpatientAccounts() {
    open(new Tzyhzfygl);
    QCOMPARE(window_->windowTitle(), QString("住院患者费用管理"));
    columns("DBGrid2", {"姓名", "性别", "年龄", "合作医疗证号"}, {80, 40, 40, 120});
    boxes({{"Edit1", "", false},
           {"Editnl", "", false},
           {"Edithzylzh", "", false},
           {"Editzz", "", false},
           {"Editpysx", "", false},
           {"Edit7", "0", true},
           {"Edit6", "", true},
           {"Edit2", "0", false},
           {"Edit3", "0.0", true},
           {"Edit4", "0.0", true},
           {"Edit5", "0.0", true}});
    QCOMPARE(in<QLineEdit>("Editnl")->maxLength(), 3);
    auto* sex = in<QComboBox>("ComboBox1");
    QCOMPARE(sex->currentText(), QString("性别"));
    QCOMPARE(sex->count(), 2);
    QCOMPARE(sex->itemText(0), QString("男"));
    QCOMPARE(sex->itemText(1), QString("女"));
    buttons({{"BitBtn3", "制作入院凭证"}, {"BitBtn1", "填入押金"}, {"BitBtn2", "出院单"}});
    labels({"住     院     登       记       ", "姓名：", "年龄：", "岁", "合作医疗证号：", "住址：", "拼音码：",
            "今日住院患者信息            ", "今日住院：", "人", "金额：", "元", "存入总金额：", "支出总金额：",
            "剩余总金额："});
    // The ledger shows the whole deposit table in its own order once a name is typed.
    TestKit::Type(in<QLineEdit>("Edit1"), "张三");
    columns("DBGrid1", {"姓名", "时间", "收费类别", "金额", "操作人帐号"}, {120, 100, 80, 70, 120});
    QCOMPARE(in<QLineEdit>("Editpysx")->text(), QString("ZS"));
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void serviceLists() {
    open(new Tfwlbwh);
    QCOMPARE(window_->windowTitle(), QString("服务类别维护"));
    columns("DBGrid1", {"拼音缩写", "服务项目", "项目单价(元)"}, {80, 80, 120});
    columns("DBGrid2", {"药品单位"}, {});
    columns("DBGrid3", {"药品来源"}, {130});
    boxes({{"Edit1", "", false}, {"Editpysx", "", false}, {"Edit2", "", false}, {"Edit4", "", false},
           {"Edit6", "", false}});
    buttons({{"BitBtn1", "填加"}, {"BitBtn2", "修改"}, {"BitBtn3", "填加"}, {"BitBtn4", "填加"}});
    labels({"服 务 类 别 设  置", "服务类别：", "识别码：", "金    额：", "元", "单位信息设置", "供货单位信息设置"});
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }

  void feeShareRatios() {
    open(new TFormblfpsz);
    QCOMPARE(window_->windowTitle(), QString("财务比例分配设置单"));
    columns("DBGrid1", {"拼音缩写", "项目", "医生比例（%）", "服务人比例（%）"}, {60, 120, 100, 110});
    boxes({{"Editpysx", "", true}, {"Editxm", "", true}, {"Editysbl", "0.0", false}, {"Editfwrbl", "0.0", false}});
    buttons({{"BitBtn1", "修改"}});
    QStringList groups;
    for (const QGroupBox* group : window_->findChildren<QGroupBox*>()) groups << group->title();
    groups.sort();
    QCOMPARE(groups, (QStringList{"项         目", "项目比例分配表"}));
    labels({"拼音缩写：", "项         目：", "医生比例：    ", "服务人比例：    ", "%"});
    QVERIFY(TestKit::MessageTexts().isEmpty());
  }
};

BRIMWICK_TEST_MAIN(WindowOpeningsTest)
#include "openings.moc"
