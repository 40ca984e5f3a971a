#include "stock/hjt.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <limits>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/clock.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"
#include "stock/issueposting.h"
#include "platform/numbers.h"
#include "stock/pendingdocument.h"

// Each batch finds its goods columns in the catalogue index that holds them.
const QString kSelectStockBySearch = QStringLiteral(
    "select lsrkxx.编号, lsrkxx.流水号, lsrkxx.拼音码, ypxx.品名, lsrkxx.进价, lsrkxx.数量, ypxx.单位, "
    "lsrkxx.售价, lsrkxx.金额, ypxx.规格, ypxx.产地, lsrkxx.进货时间, lsrkxx.有效期 "
    "from 基本资料 as ypxx indexed by 基本资料_覆盖, 库存 as lsrkxx "
    "where lsrkxx.编号 = ypxx.编号 and lsrkxx.拼音码 like ?");

namespace {
// 行号 rides along as a last, hidden column so that a removal takes exactly
// the line picked, even when an identical twin is pending.
const QString kSelectPending = QStringLiteral(
    "select lsrkxx.编号, lsrkxx.流水号, lsrkxx.拼音码, ypxx.品名, lsrkxx.数量, ypxx.单位, lsrkxx.售价, "
    "lsrkxx.销售金额, ypxx.规格, ypxx.产地, lsrkxx.出货时间, lsrkxx.行号 "
    "from 基本资料 as ypxx, 临时出库 as lsrkxx where lsrkxx.编号 = ypxx.编号 order by lsrkxx.行号");
const QString kCountPending = QStringLiteral("select count(*) as 种类 from 临时出库");
const QString kSumPending = QStringLiteral("select sum(销售金额) as 金额 from 临时出库");
const QString kDeletePendingLine = QStringLiteral("delete from 临时出库 where 行号 = ?");

const int kPendingRowIdColumn = 11;
const QList<int> kStockWidths = {50, 60, 60, 160, 0, 60, 60, 60, 0, 80, 60};
const QList<int> kPendingWidths = {50, 60, 60, 160, 60, 60, 60, 60, 60, 80, 60, 0};

const QString kNoPick = QStringLiteral("对不起，没有选择数据！");
const QString kShortStock = QStringLiteral("对不起，库存数量不足");
const QString kBadQuantity = QStringLiteral("对不起，数量必须是大于零的数字");
const QString kBadPrice = QStringLiteral("对不起，售价必须是不小于零的数字");
const QString kFailed = QStringLiteral("对不起, 操作失败");

QString amountText(double value) { return FloatText(RoundQuantity(value)); }
}  // namespace

TFormhjt::~TFormhjt() = default;

TFormhjt::TFormhjt(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("商品出库"));
  buildLayout();
  wireHandlers();
  pending_ = std::make_unique<PendingDocument>(
      DBGrid3, Edit9, Edit5,
      PendingStatements{kSelectPending, kCountPending, kSumPending, kDeletePendingLine, {kPendingRowIdColumn}, {}});
  try {
    connection_ = OpenShopDatabase();
    pending_->SetDatabase(connection_.db());
    refreshPending();
    openStock();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

QLineEdit* TFormhjt::edit(const QString& name, const QString& text, bool readOnly) {
  QLineEdit* box = NewEdit(this, name, text);
  box->setReadOnly(readOnly);
  return box;
}

void TFormhjt::buildLayout() {
  DBGrid3 = new DataGrid(this);
  DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  Edit9 = edit(QStringLiteral("Edit9"), QStringLiteral("0"), true);
  Edit5 = edit(QStringLiteral("Edit5"), QStringLiteral("0.00"), true);
  // No length limit: the box is only written by the window, and a limit
  // would cut a long total short instead of showing it.
  Edit9->setMaximumWidth(80);
  Edit5->setMaximumWidth(120);
  Editcxm = edit(QStringLiteral("Editcxm"), QString(), true);
  Editbh = edit(QStringLiteral("Editbh"), QString(), true);
  Editlsh = edit(QStringLiteral("Editlsh"), QString(), true);
  Editpm = edit(QStringLiteral("Editpm"), QString(), true);
  Edit3 = edit(QStringLiteral("Edit3"), QString(), false);
  Editsj = edit(QStringLiteral("Editsj"), QString(), false);
  Editkcsl = edit(QStringLiteral("Editkcsl"), QStringLiteral("0"), true);
  Editsl = edit(QStringLiteral("Editsl"), QStringLiteral("0"), false);
  Editxsje = edit(QStringLiteral("Editxsje"), QStringLiteral("0"), true);
  Editdj = edit(QStringLiteral("Editdj"), QStringLiteral("0"), false);
  Editdj->hide();
  Editje = edit(QStringLiteral("Editje"), QStringLiteral("0"), false);
  Editje->hide();
  BitBtn4 = NewButton(this, QStringLiteral("BitBtn4"), QStringLiteral("商品输入"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("制作单据"));
  Button1 = NewButton(this, QStringLiteral("Button1"), QStringLiteral("显示"));

  auto* buttons = new QWidget(this);
  auto* buttonRow = new QHBoxLayout(buttons);
  buttonRow->setContentsMargins(0, 0, 0, 0);
  buttonRow->addWidget(BitBtn4);
  buttonRow->addWidget(Button1);
  QGridLayout* totals = FieldGrid(this, {{{"已划价商品：", Edit9, "种"}, {"总金额：", Edit5, "元"}, {"", BitBtn2}}});
  QGridLayout* boxes = FieldGrid(this, {{{"请输入查询码：", Edit3},
                                         {"拼音缩写码：", Editcxm},
                                         {"商品编号：", Editbh},
                                         {"流水号：", Editlsh},
                                         {"品名：", Editpm}},
                                        {{"售价：", Editsj, "元"},
                                         {"库存：", Editkcsl},
                                         {"数量", Editsl},
                                         {"金额：", Editxsje, "元"},
                                         {"", buttons}}});

  auto* page = new QVBoxLayout(this);
  page->addWidget(DBGrid3, 1);
  page->addLayout(totals);
  page->addWidget(DBGrid1, 2);
  page->addLayout(boxes);
}

void TFormhjt::wireHandlers() {
  connect(Edit3, &QLineEdit::textChanged, this, &TFormhjt::EditcxmChange);
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormhjt::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::Enter, this, &TFormhjt::DBGrid1Enter);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormhjt::DBGrid1KeyUp);
  connect(DBGrid3, &DataGrid::DblClick, this, &TFormhjt::DBGrid3DblClick);
  connect(BitBtn4, &QPushButton::clicked, this, &TFormhjt::BitBtn4Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhjt::BitBtn2Click);
  connect(Button1, &QPushButton::pressed, this, &TFormhjt::Button1MouseDown);
  connect(Button1, &QPushButton::released, this, &TFormhjt::Button1MouseUp);
  // A release whose press went elsewhere (the Enter that closed a message
  // box) runs nothing, so a message cannot keep coming back.
  OnKeyUp(Editsj, [this](int) { EditsjKeyUp(); });
  OnKeyUp(Editsl, [this](int) { EditslKeyUp(); });
  OnKeyUp(Editxsje, [this](int) { EditslKeyUp(); });
  ChainEnter({Edit3, DBGrid1, Editsj, Editsl, BitBtn4});
}

void TFormhjt::EditcxmChange() {
  try {
    openStock();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  clearPick();
  Edit9->setText(QStringLiteral("0"));
}

void TFormhjt::DBGrid1CellClick() { pickBatch(); }
void TFormhjt::DBGrid1Enter() { pickBatch(); }
void TFormhjt::DBGrid1KeyUp() { pickBatch(); }

void TFormhjt::EditsjKeyUp() {
  if (!Editbh->text().trimmed().isEmpty()) return;
  ShowMessage(kNoPick);
  Edit3->setFocus();
}

void TFormhjt::EditslKeyUp() {
  // Each box is read as a number where it is used; text that is none says
  // so and stops the handler.
  double quantity = 0, inStock = 0, price = 0, purchase = 0;
  if (!Editsl->text().trimmed().isEmpty()) {
    if (!number(Editsl, quantity) || !number(Editkcsl, inStock)) return;
    if (quantity > inStock) {
      ShowMessage(kShortStock);
      Editsl->setText(QStringLiteral("0"));
    }
  }
  for (const QLineEdit* box : {Editdj, Editsj, Editsl})
    if (box->text().trimmed().isEmpty()) return;
  if (!number(Editsj, price) || !number(Editsl, quantity) || !number(Editdj, purchase)) return;
  Editxsje->setText(amountText(price * quantity));
  Editje->setText(amountText(purchase * quantity));
}

bool TFormhjt::number(const QLineEdit* box, double& value) {
  const std::optional<double> parsed = ParseFloat(box->text());
  if (!parsed) {
    ShowMessage(NotAFloatMessage(box->text()));
    return false;
  }
  value = *parsed;
  return true;
}

void TFormhjt::BitBtn4Click() {
  const QString code = Editbh->text().trimmed();
  const QString serial = Editlsh->text().trimmed();
  if (code.isEmpty() || serial.isEmpty()) {
    Edit3->setFocus();
    return;
  }
  // Text that is no number reaches the posting as NaN, which it refuses.
  const double noNumber = std::numeric_limits<double>::quiet_NaN();
  try {
    switch (AddIssueLine(connection_.db(), code, serial, ParseFloat(Editsl->text()).value_or(noNumber),
                         ParseFloat(Editsj->text()).value_or(noNumber), Clock::today())) {
      case IssueRefusal::None: break;
      case IssueRefusal::BadQuantity: return refuse(kBadQuantity, Editsl, QStringLiteral("0"));
      case IssueRefusal::BadPrice: return refuse(kBadPrice, Editsj, Editsj->text());
      case IssueRefusal::ShortStock: return refuse(kShortStock, Editsl, QStringLiteral("0"));
    }
    refreshPending();
    readTotals();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  clearPick();
  Edit3->setFocus();
}

void TFormhjt::DBGrid3DblClick() {
  if (DBGrid3->Cell(0).trimmed().isEmpty() || DBGrid3->Cell(1).trimmed().isEmpty()) return;
  pending_->RemoveCurrent(kPendingWidths);
}

void TFormhjt::BitBtn2Click() {
  try {
    QSqlDatabase db = connection_.db();
    if (!CompleteIssue(db)) {
      // Every line is still pending: the boxes show them, not an empty document.
      ShowMessage(kFailed);
      refreshPending();
      readTotals();
      return;
    }
    refreshPending();
    // The batches just lowered or deleted must not be offered as they were.
    openStock();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  Edit5->setText(QStringLiteral("0.00"));
}

void TFormhjt::Button1MouseDown() { Button1->setText(Editdj->text()); }
void TFormhjt::Button1MouseUp() { Button1->setText(QStringLiteral("显示")); }

void TFormhjt::mouseDoubleClickEvent(QMouseEvent* event) {
  QWidget::mouseDoubleClickEvent(event);
  if (OnOwnBackground(this, event->position())) ReturnToLogin();
}

void TFormhjt::openStock() {
  QSqlQuery stock = Exec(connection_.db(), kSelectStockBySearch, {QStringLiteral("%") + Edit3->text().trimmed() + QStringLiteral("%")});
  DBGrid1->Open(stock);
  DBGrid1->SetColumnWidths(kStockWidths);
}

void TFormhjt::pickBatch() {
  Editbh->setText(DBGrid1->Cell(0).trimmed());
  Editlsh->setText(DBGrid1->Cell(1).trimmed());
  Editcxm->setText(DBGrid1->Cell(2).trimmed());
  Editpm->setText(DBGrid1->Cell(3).trimmed());
  Editkcsl->setText(DBGrid1->Cell(5).trimmed());
  Editdj->setText(DBGrid1->Cell(4).trimmed());
  Editje->setText(DBGrid1->Cell(8).trimmed());
  Editsj->setText(DBGrid1->Cell(7).trimmed());
}

void TFormhjt::refreshPending() { pending_->Refresh(kPendingWidths); }

void TFormhjt::readTotals() { pending_->ReadTotals(); }

void TFormhjt::clearPick() {
  Editbh->clear();
  Editlsh->clear();
  Editpm->clear();
  Editcxm->clear();
  Editsj->setText(QStringLiteral("0.00"));
  Editsl->setText(QStringLiteral("0"));
  Editkcsl->setText(QStringLiteral("0"));
  Editxsje->setText(QStringLiteral("0"));
}

void TFormhjt::refuse(const QString& message, QLineEdit* box, const QString& text) {
  ShowMessage(message);
  box->setText(text);
  Editxsje->setText(QStringLiteral("0"));
  box->setFocus();
  box->selectAll();
}
