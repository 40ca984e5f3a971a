#include "stock/ypzlwh.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "stock/controls.h"
#include "stock/goods.h"
#include "stock/pinyin.h"

namespace {
const QString kSelectGoods = QStringLiteral("select * from 基本资料");
const QString kSearchGoods = QStringLiteral("select * from 基本资料 where 拼音缩写 like ?");
const QString kSelectUnits = QStringLiteral("select 单位 from 单位");
const QString kUpdateGoods = QStringLiteral(
    "update 基本资料 set 品名 = ?, 拼音缩写 = ?, 规格 = ?, 单位 = ?, 仓位 = ?, 产地 = ? where 编号 = ?");

const QList<int> kGoodsWidths = {60, 180, 130, 60, 60, 60, 60};
constexpr int kMakerLength = 150;

}  // namespace

Typzl::Typzl(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("商品资料维护"));
  resize(900, 600);

  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetStripes(RowStripes::BlackWhiteOnDesktop);
  Editlbh = NewEdit(this, QStringLiteral("Editlbh"));
  Editlbh->setReadOnly(true);
  Editpm = NewEdit(this, QStringLiteral("Editpm"));
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  ComboBoxdw = new QComboBox(this);
  ComboBoxdw->setObjectName(QStringLiteral("ComboBoxdw"));
  ComboBoxdw->setEditable(true);
  ComboBoxdw->setInsertPolicy(QComboBox::NoInsert);
  Editge = NewEdit(this, QStringLiteral("Editge"));
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  Edit2->setMaxLength(kMakerLength);
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("商品资料填加"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("商品资料修改"));

  auto* boxes = new QGridLayout;
  auto place = [&](int row, int column, const QString& label, QWidget* box) {
    boxes->addWidget(new QLabel(label, this), row, column * 2, Qt::AlignRight);
    boxes->addWidget(box, row, column * 2 + 1);
  };
  place(0, 0, QStringLiteral("编号："), Editlbh);
  place(0, 1, QStringLiteral("品名："), Editpm);
  place(0, 2, QStringLiteral("拼音索引："), Editpysx);
  place(1, 0, QStringLiteral("单位："), ComboBoxdw);
  place(1, 1, QStringLiteral("规格："), Editge);
  place(1, 2, QStringLiteral("仓位："), Edit3);
  place(2, 0, QStringLiteral("厂商："), Edit2);
  place(2, 1, QStringLiteral("请输入查询码："), Edit1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  boxes->addLayout(buttons, 2, 4, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(DBGrid1, 1);
  layout->addLayout(boxes);

  setTabOrder(DBGrid1, Editpm);
  setTabOrder(Editpm, Editlbh);
  setTabOrder(Editlbh, Editge);
  setTabOrder(Editge, Editpysx);
  setTabOrder(Editpysx, ComboBoxdw);
  setTabOrder(ComboBoxdw, Edit1);
  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);
  setTabOrder(BitBtn2, Edit3);

  ChainEnter({Editpm, Editpysx, ComboBoxdw, Editge, Edit3});
  OnEnter(Edit3, [] {});
  ChainEnter(Edit2, BitBtn1);
  ChainEnter({Edit1, DBGrid1, Editpm});

  connect(DBGrid1, &DataGrid::CellClick, this, &Typzl::DBGrid1CellClick);
  connect(Editpm, &QLineEdit::textChanged, this, &Typzl::EditpmChange);
  connect(Edit1, &QLineEdit::textChanged, this, &Typzl::Edit1Change);
  connect(ComboBoxdw, &QComboBox::activated, this, &Typzl::ComboBoxdwClick);
  ComboBoxdw->installEventFilter(this);
  connect(BitBtn1, &QPushButton::clicked, this, &Typzl::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &Typzl::BitBtn2Click);

  FormCreate();
}

void Typzl::FormCreate() {
  try {
    connection_ = OpenShopDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  openGoods(kSelectGoods);
}

void Typzl::DBGrid1CellClick() {
  Editlbh->setText(DBGrid1->Cell(0).trimmed());
  Editpm->setText(DBGrid1->Cell(2).trimmed());
  // The stored code wins over the one the name change just computed.
  Editpysx->setText(DBGrid1->Cell(1).trimmed());
  Editge->setText(DBGrid1->Cell(4).trimmed());
  ComboBoxdw->setEditText(DBGrid1->Cell(3).trimmed());
  Edit3->setText(DBGrid1->Cell(5).trimmed());
  Edit2->setText(DBGrid1->Cell(6).trimmed());
}

void Typzl::EditpmChange() { Editpysx->setText(PinyinAbbreviation(Editpm->text())); }

void Typzl::Edit1Change() {
  openGoods(kSearchGoods, {QStringLiteral("%") + Edit1->text().trimmed() + QStringLiteral("%")});
}

void Typzl::ComboBoxdwEnter() { appendUnits(); }

void Typzl::ComboBoxdwClick() { appendUnits(); }

void Typzl::ComboBoxdwExit() {
  const QString text = ComboBoxdw->currentText();
  ComboBoxdw->clear();
  ComboBoxdw->setEditText(text);
}

void Typzl::BitBtn1Click() {
  const GoodsFields goods{Editpm->text(), Editpysx->text(), Editge->text(), ComboBoxdw->currentText(),
                          Edit3->text(),  Edit2->text()};
  try {
    AddGoods(connection_.db(), goods);
    openGoods(kSelectGoods);
  } catch (const CodeError& e) {
    ShowMessage(e.text());
    return;
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  clearBoxes();
  Edit3->clear();
  Editpm->setFocus();
}

void Typzl::BitBtn2Click() {
  if (Editlbh->text().isEmpty()) {
    ShowMessage(QStringLiteral("对不起，请选择要修改的数据"));
    DBGrid1->SetColumnWidths(kGoodsWidths);
    return;
  }
  try {
    Exec(connection_.db(), kUpdateGoods,
         {Editpm->text().trimmed(), Editpysx->text().trimmed(), Editge->text().trimmed(),
          ComboBoxdw->currentText().trimmed(), Edit3->text().trimmed(), Edit2->text().trimmed(),
          Editlbh->text().trimmed()});
    openGoods(kSelectGoods);
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  // The storage place is kept for the next add.
  clearBoxes();
}

bool Typzl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ComboBoxdw && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    // Only a move of the focus inside the window enters or leaves the box:
    // neither the drop-down list taking it for a moment nor a switch to
    // another window counts.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const bool listOpen = QApplication::activePopupWidget() != nullptr;
    if (!listOpen && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
      if (event->type() == QEvent::FocusIn)
        ComboBoxdwEnter();
      else
        ComboBoxdwExit();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Typzl::openGoods(const QString& sql, const QVariantList& values) {
  try {
    QSqlQuery query = Exec(connection_.db(), sql, values);
    DBGrid1->Open(query);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  DBGrid1->SetColumnWidths(kGoodsWidths);
}

void Typzl::appendUnits() {
  // The list grows by every unit on each entry and pick until the box is
  // left; the typed text stays as it is.
  const QString text = ComboBoxdw->currentText();
  try {
    QSqlQuery query = Exec(connection_.db(), kSelectUnits);
    while (query.next()) ComboBoxdw->addItem(query.value(0).toString().trimmed());
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  ComboBoxdw->setEditText(text);
}

void Typzl::clearBoxes() {
  // Emptying the search box lists every goods item again.
  Edit1->clear();
  Edit2->clear();
  Editlbh->clear();
  Editpm->clear();
  Editpysx->clear();
  Editge->clear();
  ComboBoxdw->clear();
  ComboBoxdw->setEditText(QString());
}
