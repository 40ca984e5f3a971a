#include "frontdesk/blfpb.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskcontrols.h"
#include "frontdesk/servicelists.h"
#include "platform/amountkeys.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
// The percentages under the titles the grid shows.
const QString kSelectShares = QStringLiteral(
    R"~(select 拼音缩写, 项目, 医生比例 as "医生比例（%）", 服务人比例 as "服务人比例（%）" from 比例分配表)~");

const QString kNoShare = QStringLiteral("请输入提成比例，没有输入\"0\"");

const QList<int> kShareWidths = {60, 120, 100, 110};
const QList<int> kShareDecimals = {kGeneral, kGeneral, 2, 2};
}  // namespace

TFormblfpsz::TFormblfpsz(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("财务比例分配设置单"));
  buildLayout();
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormblfpsz::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyUp, this, &TFormblfpsz::DBGrid1KeyUp);
  // A typed letter picks the row the grid stands on, never another.
  OnTypedCharacter(DBGrid1, [this] { DBGrid1KeyUp(); });
  connect(BitBtn1, &QPushButton::clicked, this, &TFormblfpsz::BitBtn1Click);
  AmountKeyFilter(Editysbl);
  AmountKeyFilter(Editfwrbl);
  ChainEnter({DBGrid1, Editysbl, Editfwrbl, BitBtn1});
  ChainEnter(Editpysx, Editxm);
  try {
    connection_ = OpenClinicDatabase();
    openShares();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormblfpsz::buildLayout() {
  DBGrid1 = NewGrid(this, QStringLiteral("DBGrid1"));
  DBGrid1->SetColumnDecimals(kShareDecimals);
  Editpysx = NewReadOnlyEdit(this, QStringLiteral("Editpysx"));
  Editxm = NewReadOnlyEdit(this, QStringLiteral("Editxm"));
  Editysbl = NewEdit(this, QStringLiteral("Editysbl"), QStringLiteral("0.0"));
  Editfwrbl = NewEdit(this, QStringLiteral("Editfwrbl"), QStringLiteral("0.0"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("修改"));

  auto* items = new QGroupBox(QStringLiteral("项         目"), this);
  auto* itemsLayout = new QVBoxLayout(items);
  itemsLayout->addWidget(DBGrid1);
  auto* shares = new QGroupBox(QStringLiteral("项目比例分配表"), this);
  auto* sharesLayout = new QVBoxLayout(shares);
  sharesLayout->addLayout(FieldGrid(shares, {{{"拼音缩写：", Editpysx}},
                                             {{"项         目：", Editxm}},
                                             {{"医生比例：    ", Editysbl, "%"}},
                                             {{"服务人比例：    ", Editfwrbl, "%"}},
                                             {{"", BitBtn1}}}));
  sharesLayout->addStretch(1);
  auto* page = new QHBoxLayout(this);
  page->addWidget(items, 2);
  page->addWidget(shares, 1);
}

void TFormblfpsz::openShares() {
  QSqlQuery query = Exec(connection_.db(), kSelectShares);
  DBGrid1->Open(query);
  DBGrid1->SetColumnWidths(kShareWidths);
}

void TFormblfpsz::DBGrid1CellClick() {
  if (DBGrid1->CurrentRow() < 0) return;
  Editpysx->setText(DBGrid1->Cell(0).trimmed());
  Editxm->setText(DBGrid1->Cell(1));
  Editysbl->setText(DBGrid1->Cell(2).trimmed());
  Editfwrbl->setText(DBGrid1->Cell(3));
}

void TFormblfpsz::DBGrid1KeyUp() { DBGrid1CellClick(); }

void TFormblfpsz::BitBtn1Click() {
  try {
    if (SetFeeShares(connection_.db(), Editpysx->text(), Editxm->text(), Editysbl->text(), Editfwrbl->text()) !=
        ListChange::Done)
      return ShowMessage(kNoShare);
    openShares();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
