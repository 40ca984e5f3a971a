#include "stock/yprk.h"

#include <QApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/amountkeys.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/formevents.h"
#include "platform/messages.h"
#include "stock/controls.h"
#include "platform/numbers.h"
#include "stock/pendingdocument.h"
#include "stock/pinyin.h"
#include "stock/receipt.h"

namespace {
const QString kSelectPending = QStringLiteral(
    "select lsrkxx.编号, lsrkxx.流水号, lsrkxx.拼音码, ypxx.品名, lsrkxx.进价, lsrkxx.数量, ypxx.单位, "
    "lsrkxx.售价, lsrkxx.金额, ypxx.规格, ypxx.产地, lsrkxx.进货时间, lsrkxx.有效期 "
    "from 基本资料 as ypxx, 临时入库 as lsrkxx where lsrkxx.编号 = ypxx.编号 order by lsrkxx.流水号");
const QString kCountPending = QStringLiteral("select count(*) as 种类 from 临时入库");
const QString kSumPending = QStringLiteral("select sum(金额) as 金额 from 临时入库");
const QString kRemoveLine = QStringLiteral("delete from 临时入库 where 编号 = ? and 流水号 = ?");
const QString kSearchGoods = QStringLiteral("select * from 基本资料 where 拼音缩写 like ?");

const QString kNoPick = QStringLiteral("对不起，没有选择数据！");

const QList<int> kPendingOpenWidths = {50, 60, 160, 60, 60, 60, 60, 60, 60, 60, 60};
const QList<int> kPendingAddWidths = {50, 160, 60, 60, 60, 60, 60, 60, 60, 80, 60, 80};
const QList<int> kPendingRemoveWidths = {50, 160, 60, 60, 60, 60, 60, 60, 60, 80, 80, 80};
const QList<int> kGoodsOpenWidths = {60, 60, 130, 60, 60, 60, 60};
const QList<int> kGoodsSearchWidths = {60, 180, 130, 60, 60, 60, 60};

// A label, a box and an optional unit after it, side by side.
QHBoxLayout* labelled(QWidget* parent, const QString& label, QWidget* box, const QString& unit = QString()) {
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(label, parent));
  row->addWidget(box, 1);
  if (!unit.isEmpty()) row->addWidget(new QLabel(unit, parent));
  return row;
}
}  // namespace

Typrk::Typrk(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("商品入库"));
  resize(1000, 680);

  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetStripes(RowStripes::BlackWhiteOnBlue);
  Edit1 = NewEdit(this, QStringLiteral("Edit1"), QStringLiteral("0"));
  Edit1->setReadOnly(true);
  Editzj = NewEdit(this, QStringLiteral("Editzj"), QStringLiteral("0"));
  DBGrid2 = new DataGrid(this);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  Editbh = NewEdit(this, QStringLiteral("Editbh"));
  Editbh->setReadOnly(true);
  Editcxm = NewEdit(this, QStringLiteral("Editcxm"));
  Editpm = NewEdit(this, QStringLiteral("Editpm"));
  Editpm->setReadOnly(true);
  Editck = NewEdit(this, QStringLiteral("Editck"), QStringLiteral("0"));
  Editck->setReadOnly(true);
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Editdj = NewEdit(this, QStringLiteral("Editdj"), QStringLiteral("0"));
  Editsl = NewEdit(this, QStringLiteral("Editsl"), QStringLiteral("0"));
  Editsj = NewEdit(this, QStringLiteral("Editsj"), QStringLiteral("0"));
  DateTimePicker1 = new QDateEdit(this);
  DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
  DateTimePicker1->setCalendarPopup(false);
  DateTimePicker1->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("入库"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("入库保存"));

  auto* title = new QLabel(QStringLiteral("商品入库信息"), this);
  title->setAlignment(Qt::AlignCenter);
  auto* totals = new QHBoxLayout;
  totals->addLayout(labelled(this, QStringLiteral("已入库"), Edit1, QStringLiteral("种")));
  totals->addLayout(labelled(this, QStringLiteral("入库总金额："), Editzj, QStringLiteral("元")));
  totals->addStretch(1);
  auto* boxes = new QGridLayout;
  boxes->addLayout(labelled(this, QStringLiteral("商品编号："), Editbh), 0, 0);
  boxes->addLayout(labelled(this, QStringLiteral("拼音缩写码："), Editcxm), 0, 1);
  boxes->addLayout(labelled(this, QStringLiteral("商品名称："), Editpm), 0, 2);
  boxes->addLayout(labelled(this, QStringLiteral("入库金额："), Editck, QStringLiteral("元")), 0, 3);
  boxes->addLayout(labelled(this, QStringLiteral("请输入查询码："), Edit2), 1, 0);
  boxes->addLayout(labelled(this, QStringLiteral("入库单价："), Editdj, QStringLiteral("元")), 1, 1);
  boxes->addLayout(labelled(this, QStringLiteral("入库数量："), Editsl), 1, 2);
  boxes->addLayout(labelled(this, QStringLiteral("零售单价："), Editsj, QStringLiteral("元")), 1, 3);
  boxes->addLayout(labelled(this, QStringLiteral("有效期至："), DateTimePicker1), 2, 0);
  boxes->addWidget(BitBtn1, 2, 1);
  boxes->addWidget(BitBtn3, 2, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(new QLabel(QStringLiteral("入库单："), this));
  layout->addWidget(DBGrid1, 1);
  layout->addLayout(totals);
  layout->addWidget(new QLabel(QStringLiteral("商品信息："), this));
  layout->addWidget(DBGrid2, 1);
  layout->addLayout(boxes);

  ChainEnter({Edit2, DBGrid2, Editdj, Editsl, Editsj, DateTimePicker1, BitBtn1});

  connect(Edit2, &QLineEdit::textChanged, this, &Typrk::EditcxmChange);
  connect(DBGrid2, &DataGrid::CellClick, this, &Typrk::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::Enter, this, &Typrk::DBGrid2Enter);
  connect(DBGrid2, &DataGrid::KeyDown, this, &Typrk::DBGrid2KeyDown);
  connect(DBGrid2, &DataGrid::KeyUp, this, &Typrk::DBGrid2KeyUp);
  // A release whose press went elsewhere (the Enter that closed a message
  // box) runs nothing: the message cannot come back by itself.
  OnKeyUp(Editdj, [this](int) { EditdjKeyUp(); });
  OnKeyUp(Editsl, [this](int) { EditslKeyUp(); });
  connect(BitBtn1, &QPushButton::clicked, this, &Typrk::BitBtn1Click);
  connect(DBGrid1, &DataGrid::DblClick, this, &Typrk::DBGrid1DblClick);
  connect(BitBtn3, &QPushButton::clicked, this, &Typrk::BitBtn3Click);

  pending_ = std::make_unique<PendingDocument>(
      DBGrid1, Edit1, Editzj,
      PendingStatements{kSelectPending, kCountPending, kSumPending, kRemoveLine, {0, 1},
                        QStringLiteral("对不起，表中无数据可删")});

  FormCreate();
}

Typrk::~Typrk() = default;

void Typrk::FormCreate() {
  try {
    connection_ = OpenShopDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  pending_->SetDatabase(connection_.db());
  DateTimePicker1->setDate(Clock::today());
  openGoods(Editcxm->text().trimmed(), kGoodsOpenWidths);
  // Lines left from earlier runs show; the totals wait for the next change.
  refreshPending(kPendingOpenWidths, false);
  Editbh->clear();
  Editcxm->clear();
  Editpm->clear();
  Editdj->clear();
  Editsl->setText(QStringLiteral("0"));
  Editsj->clear();
}

void Typrk::EditcxmChange() { openGoods(Edit2->text().trimmed(), kGoodsSearchWidths); }

void Typrk::DBGrid2CellClick() { pickGoods(); }
void Typrk::DBGrid2Enter() { pickGoods(); }
void Typrk::DBGrid2KeyDown() { pickGoods(); }
void Typrk::DBGrid2KeyUp() { pickGoods(); }

void Typrk::EditdjKeyUp() {
  if (Editbh->text().trimmed().isEmpty()) {
    ShowMessage(kNoPick);
    Edit2->setFocus();
  }
}

void Typrk::EditslKeyUp() {
  if (Editdj->text().trimmed().isEmpty()) {
    ShowMessage(QStringLiteral("对不起，请输入进货价"));
    return;
  }
  if (Editsl->text().trimmed().isEmpty()) return;
  const std::optional<double> price = ParseFloat(Editdj->text());
  if (!price) return ShowMessage(NotAFloatMessage(Editdj->text()));
  const std::optional<double> quantity = ParseFloat(Editsl->text());
  if (!quantity) return ShowMessage(NotAFloatMessage(Editsl->text()));
  // An amount beyond any number is no amount: the add refuses the line.
  const double amount = *price * *quantity;
  Editck->setText(std::isfinite(amount) ? FloatText(amount) : QString());
}

void Typrk::BitBtn1Click() {
  if (Editbh->text().trimmed().isEmpty()) {
    refuse(kNoPick, Edit2);
    return;
  }
  const std::optional<double> price = positiveBox(Editdj, QStringLiteral("入库单价"));
  if (!price) return;
  const std::optional<double> quantity = positiveBox(Editsl, QStringLiteral("入库数量"));
  if (!quantity) return;
  if (!WithinAmountDigits(*price * *quantity)) {
    refuse(kAmountOutOfRange, Editsl);
    return;
  }
  const std::optional<double> salePrice = positiveBox(Editsj, QStringLiteral("零售单价"));
  if (!salePrice) return;
  const ReceiptLine line{Editbh->text(), Editcxm->text(), *price, *quantity, *salePrice,
                         Clock::today(), DateTimePicker1->date()};
  try {
    AddReceiptLine(connection_.db(), line);
  } catch (const CodeError& e) {
    refuse(e.text(), Edit2);
    return;
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  // The amount stored is the one computed now, whatever the boxes' order of typing.
  Editck->setText(FloatText(LineAmount(*price, *quantity)));
  refreshPending(kPendingAddWidths, true);
  Editsj->setText(QStringLiteral("0"));
  Editsl->setText(QStringLiteral("0"));
  Editdj->setText(QStringLiteral("0"));
  Edit2->setFocus();
}

void Typrk::DBGrid1DblClick() { pending_->RemoveCurrent(kPendingRemoveWidths); }

void Typrk::BitBtn3Click() {
  try {
    SaveReceipt(connection_.db());
  } catch (const DbError& e) {
    ShowError(QStringLiteral("对不起，入库保存失败，入库单没有改动。\n") + e.text());
    return;
  }
  // The totals keep the last values read; only the grid is read again.
  refreshPending(kPendingRemoveWidths, false);
}

void Typrk::keyPressEvent(QKeyEvent* event) {
  // Only when no control has the focus: an Enter that a box or grid of the
  // window let pass (拼音缩写码, 商品编号, the pending grid...) does nothing.
  const QWidget* focus = QApplication::focusWidget();
  const bool controlFocused = focus && focus != this && isAncestorOf(focus);
  if (!controlFocused && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    Editdj->setFocus();
    return;
  }
  if (controlFocused && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) return event->accept();
  QWidget::keyPressEvent(event);
}

void Typrk::openGoods(const QString& search, const QList<int>& widths) {
  try {
    QSqlQuery query = Exec(connection_.db(), kSearchGoods, {QStringLiteral("%") + search + QStringLiteral("%")});
    DBGrid2->Open(query);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  DBGrid2->SetColumnWidths(widths);
}

void Typrk::pickGoods() {
  Editbh->setText(DBGrid2->Cell(0).trimmed());
  Editpm->setText(DBGrid2->Cell(2).trimmed());
  Editcxm->setText(DBGrid2->Cell(1).trimmed());
}

void Typrk::refreshPending(const QList<int>& widths, bool withTotals) {
  try {
    pending_->Refresh(widths);
    if (withTotals) pending_->ReadTotals();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Typrk::refuse(const QString& message, QWidget* focus) {
  ShowMessage(message);
  focus->setFocus();
}

// Above zero, and within the digits the clinic's desks hold an amount to.
std::optional<double> Typrk::positiveBox(QLineEdit* box, const QString& label) {
  const std::optional<double> value = ParsePositive(box->text());
  if (!value) {
    refuse(QStringLiteral("对不起，%1必须是大于零的数字！").arg(label), box);
  } else if (!WithinAmountDigits(*value)) {
    refuse(kAmountOutOfRange, box);
    return std::nullopt;
  }
  return value;
}
