#include "stock/yzcx.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "stock/fieldgrid.h"

// The columns every result shows, all but the last two; and the join with
// the catalogue, whose current search code the search box filters on.
#define RECORD_COLUMNS                                                                                     \
  "select lsrkxx.拼音码, ypxx.品名, lsrkxx.进价, lsrkxx.数量, ypxx.单位, lsrkxx.售价, lsrkxx.金额, ypxx.规格, " \
  "ypxx.产地, "
#define MATCHING_CODE "lsrkxx.编号 = ypxx.编号 and ypxx.拼音缩写 like ?"
// With a typed code the catalogue leads the join ("cross join" fixes the
// order), read in the order it is stored ("not indexed"): the code keeps
// few goods, whose lines the indexes on 编号 find directly. Without one the
// lines lead, read in the order they are stored, and each finds its goods
// item in the index that holds every goods column shown.
#define BY_CODE "not indexed cross join"
#define EVERY_CODE "indexed by 基本资料_覆盖,"
#define RECEIPT_ROWS(JOIN) \
  "from 基本资料 as ypxx " JOIN " 进货历史记录 as lsrkxx where lsrkxx.进货时间 between ? and ? and " MATCHING_CODE
#define STOCK_ROWS(JOIN) "from 基本资料 as ypxx " JOIN " 库存 as lsrkxx where " MATCHING_CODE
#define SALES_ROWS(JOIN) \
  "from 基本资料 as ypxx " JOIN " 出库记录 as lsrkxx where lsrkxx.出货时间 between ? and ? and " MATCHING_CODE
#define RECEIPTS(JOIN) QStringLiteral(RECORD_COLUMNS "lsrkxx.进货时间, lsrkxx.有效期 " RECEIPT_ROWS(JOIN))
#define STOCK(JOIN) QStringLiteral(RECORD_COLUMNS "lsrkxx.进货时间, lsrkxx.有效期 " STOCK_ROWS(JOIN))
#define SALES(JOIN) QStringLiteral(RECORD_COLUMNS "lsrkxx.出货时间, lsrkxx.销售金额 " SALES_ROWS(JOIN))
// The totals over the same rows, from the store: a grid holds only the rows
// read so far.
#define AMOUNT_SUM "select sum(lsrkxx.金额) as 金额 "
#define RECEIPTS_SUM(JOIN) QStringLiteral(AMOUNT_SUM RECEIPT_ROWS(JOIN))
#define STOCK_SUM(JOIN) QStringLiteral(AMOUNT_SUM STOCK_ROWS(JOIN))
#define SALES_SUMS(JOIN) \
  QStringLiteral("select sum(lsrkxx.金额) as 金额, sum(lsrkxx.销售金额) as 销售金额 " SALES_ROWS(JOIN))

const CodedQuery kSelectReceipts{RECEIPTS(BY_CODE), RECEIPTS(EVERY_CODE)};
const CodedQuery kSelectStock{STOCK(BY_CODE), STOCK(EVERY_CODE)};
const CodedQuery kSelectSales{SALES(BY_CODE), SALES(EVERY_CODE)};
const QString kSelectExpired = QStringLiteral(
    RECORD_COLUMNS "lsrkxx.进货时间, lsrkxx.有效期 from 基本资料 as ypxx " EVERY_CODE " 库存 as lsrkxx "
                   "where lsrkxx.编号 = ypxx.编号 and lsrkxx.有效期 < ?");
namespace {
const CodedQuery kSumReceipts{RECEIPTS_SUM(BY_CODE), RECEIPTS_SUM(EVERY_CODE)};
const CodedQuery kSumStock{STOCK_SUM(BY_CODE), STOCK_SUM(EVERY_CODE)};
// The cost, then the sales amount.
const CodedQuery kSumSales{SALES_SUMS(BY_CODE), SALES_SUMS(EVERY_CODE)};
}  // namespace
#undef RECORD_COLUMNS
#undef MATCHING_CODE
#undef BY_CODE
#undef EVERY_CODE
#undef RECEIPT_ROWS
#undef STOCK_ROWS
#undef SALES_ROWS
#undef RECEIPTS
#undef STOCK
#undef SALES
#undef AMOUNT_SUM
#undef RECEIPTS_SUM
#undef STOCK_SUM
#undef SALES_SUMS

namespace {
const QList<int> kReceiptWidths = {50, 160, 60, 60, 60, 60, 60, 60, 60};
const QList<int> kWideLastWidths = {50, 160, 60, 60, 60, 60, 60, 60, 60, 80};
const QDate kPickerStart(2008, 4, 26);

QString dayText(const QDate& day) { return day.toString(Qt::ISODate); }
}  // namespace

TFormyzcx::TFormyzcx(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("老板查询"));
  buildLayout();
  // A type picked by a click, by the arrow keys or from code alike.
  connect(RadioGroup1, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) RadioGroup1Click(id);
  });
  connect(BitBtn3, &QPushButton::clicked, this, &TFormyzcx::BitBtn3Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormyzcx::BitBtn2Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TFormyzcx::BitBtn4Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TFormyzcx::BitBtn5Click);
  try {
    connection_ = OpenShopDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

QPushButton* TFormyzcx::button(const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, this);
  b->setObjectName(name);
  b->setAutoDefault(true);  // Enter on the focused button presses it
  b->hide();
  return b;
}

void TFormyzcx::buildLayout() {
  auto* types = new QGroupBox(QStringLiteral("选择查询类型"), this);
  types->setObjectName(QStringLiteral("RadioGroup1"));
  RadioGroup1 = new QButtonGroup(this);
  auto* typeColumns = new QGridLayout(types);
  const QStringList items = {QStringLiteral("入库查询"), QStringLiteral("库存查询"), QStringLiteral("利润查询"),
                             QStringLiteral("过期查询")};
  for (int i = 0; i < items.size(); ++i) {
    auto* item = new QRadioButton(items[i], types);
    item->setObjectName(QStringLiteral("RadioGroup1_%1").arg(i));
    RadioGroup1->addButton(item, i);
    typeColumns->addWidget(item, 0, i);
  }

  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  auto picker = [this](const char* name) {
    auto* p = new QDateEdit(kPickerStart, this);
    p->setObjectName(QString::fromUtf8(name));
    p->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    p->setCalendarPopup(true);
    return p;
  };
  DateTimePicker1 = picker("DateTimePicker1");
  DateTimePicker2 = picker("DateTimePicker2");
  Edithj = new QLineEdit(QStringLiteral("0.00"), this);
  Edithj->setObjectName(QStringLiteral("Edithj"));
  Edithj->setReadOnly(true);
  Edithj->setMaximumWidth(160);
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  BitBtn3 = button(QStringLiteral("BitBtn3"), QStringLiteral("报表查询"));
  BitBtn2 = button(QStringLiteral("BitBtn2"), QStringLiteral("库存查询"));
  BitBtn4 = button(QStringLiteral("BitBtn4"), QStringLiteral("出库查询"));
  BitBtn5 = button(QStringLiteral("BitBtn5"), QStringLiteral("过期查询"));

  QGridLayout* filters = FieldGrid(this, {{{"输入查询码：", Edit1},
                                           {"查询开始时间", DateTimePicker1},
                                           {"查询结束时间", DateTimePicker2}},
                                          {{"合计：", Edithj, "元"}}});
  // The four query buttons share one place; the picked type shows its own.
  for (QPushButton* b : {BitBtn3, BitBtn2, BitBtn4, BitBtn5}) filters->addWidget(b, 1, 7);

  auto* page = new QVBoxLayout(this);
  page->addWidget(types);
  page->addLayout(filters);
  page->addWidget(DBGrid1, 1);
}

void TFormyzcx::RadioGroup1Click(int index) {
  const QList<QPushButton*> buttons = {BitBtn3, BitBtn2, BitBtn4, BitBtn5};
  for (int i = 0; i < buttons.size(); ++i) buttons[i]->setVisible(i == index);
}

void TFormyzcx::BitBtn3Click() {
  const QVariantList values = dateWindow() << containing();
  if (open(kSelectReceipts.For(code()), values, kReceiptWidths)) showTotal(kSumReceipts.For(code()), values);
}

void TFormyzcx::BitBtn2Click() {
  const QVariantList values{containing()};
  if (open(kSelectStock.For(code()), values, kWideLastWidths)) showTotal(kSumStock.For(code()), values);
}

void TFormyzcx::BitBtn4Click() {
  const QVariantList values = dateWindow() << containing();
  if (!open(kSelectSales.For(code()), values, kWideLastWidths)) return;
  try {
    QSqlQuery sums = Exec(connection_.db(), kSumSales.For(code()), values);
    sums.next();
    // An empty sum counts as 0: no sales show a profit of "0".
    Edithj->setText(FloatText(sums.value(1).toDouble() - sums.value(0).toDouble()));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormyzcx::BitBtn5Click() {
  DateTimePicker2->setDate(Clock::today());
  open(kSelectExpired, {dayText(DateTimePicker2->date())}, kWideLastWidths);
}

bool TFormyzcx::open(const QString& sql, const QVariantList& values, const QList<int>& widths) {
  try {
    QSqlQuery rows = Exec(connection_.db(), sql, values);
    DBGrid1->Open(rows);
  } catch (const DbError& e) {
    ShowError(e.text());
    return false;
  }
  DBGrid1->SetColumnWidths(widths);
  return true;
}

// The search code as a pattern: rows whose code contains it.
QString TFormyzcx::code() const { return Edit1->text().trimmed(); }
QString TFormyzcx::containing() const { return QStringLiteral("%") + code() + QStringLiteral("%"); }

QVariantList TFormyzcx::dateWindow() const {
  return {dayText(DateTimePicker1->date()), dayText(DateTimePicker2->date())};
}

// The store's sum as it reads back: empty when no row has a value.
void TFormyzcx::showTotal(const QString& sql, const QVariantList& values) {
  try {
    Edithj->setText(ScalarText(connection_.db(), sql, values));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
