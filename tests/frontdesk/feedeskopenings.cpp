// What today's patient fees, the inpatient accounts, the service lists and
// the fee-share ratios show as they open on an empty store, on both stores:
// caption, the titles, order and widths of their grids' columns, the texts,
// labels and states of their boxes, and their button captions.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "db/clinicdb.h"
#include "frontdesk/blfpb.h"
#include "frontdesk/fwlbwh.h"
#include "frontdesk/hzxi.h"
#include "frontdesk/zyhzfy.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
QStringList Titles(DataGrid* grid) {
  QStringList titles;
  for (int i = 0; i < grid->model()->columnCount(); ++i)
    titles << grid->model()->headerData(i, Qt::Horizontal).toString();
  return titles;
}
QList<int> Widths(DataGrid* grid, qsizetype count) {
  QList<int> widths;
  for (int i = 0; i < count; ++i) widths << grid->columnWidth(i);
  return widths;
}
}  // namespace

class FeeDeskOpeningsTest : public QObject {
  Q_OBJECT
  std::unique_ptr<QWidget> window_;

  template <typename T>
  T* in(const char* name) {
    return Find<T>(window_.get(), name);
  }
  QLineEdit* box(const char* name) { return in<QLineEdit>(name); }
  void columns(const char* name, const QStringList& titles, const QList<int>& widths) {
    DataGrid* grid = in<DataGrid>(name);
    QCOMPARE(Titles(grid), titles);
    QCOMPARE(Widths(grid, widths.size()), widths);
  }
  // Each box with its text and whether only the window writes it.
  void boxes(const QList<std::tuple<const char*, QString, bool>>& expected) {
    for (const auto& [name, text, readOnly] : expected) {
      QCOMPARE(box(name)->text(), text);
      QVERIFY2(box(name)->isReadOnly() == readOnly, name);
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
    TestKit::ClearMessages();
  }
  void cleanup() {
    window_.reset();
    Clock::Reset();
    QCOMPARE(TestKit::MessageTexts(), QStringList());
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
    QCOMPARE(box("Editnl")->maxLength(), 3);
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
    TestKit::Type(box("Edit1"), "张三");
    columns("DBGrid1", {"姓名", "时间", "收费类别", "金额", "操作人帐号"}, {120, 100, 80, 70, 120});
    QCOMPARE(box("Editpysx")->text(), QString("ZS"));
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
  }
};

BRIMWICK_TEST_MAIN(FeeDeskOpeningsTest)
#include "feedeskopenings.moc"
