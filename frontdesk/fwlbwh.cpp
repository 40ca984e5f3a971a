#include "frontdesk/fwlbwh.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/deskcontrols.h"
#include "platform/amountkeys.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"
#include "stock/pinyin.h"

namespace {
const QString kSelectServices =
    QStringLiteral(R"~(select 拼音缩写, 服务项目, "项目单价(元)" from 服务项目 order by 行号)~");
// The list's whole table; its name is a fixed name of the program.
const QString kSelectList = QStringLiteral("select * from %1");

const QString kIncomplete = QStringLiteral("对不起，数据不全");
const QString kDuplicateUnit = QStringLiteral("单位重复，请重新输入");
const QString kDuplicateEntry = QStringLiteral("信息重复，请重新输入");
const QString kDeleteQuestion = QStringLiteral("您是要删除这个记吗？");
const QString kDeleteTitle = QStringLiteral("记录删除提示");

const QList<int> kServiceWidths = {80, 80, 120};
const QList<int> kListWidths = {130};
const int kCodeColumn = 0;
const int kNameColumn = 1;
const int kPriceColumn = 2;

QVBoxLayout* Panel(QWidget* parent, const QString& heading, DataGrid* grid, QLayout* boxes) {
  auto* panel = new QVBoxLayout;
  auto* label = new QLabel(heading, parent);
  label->setAlignment(Qt::AlignCenter);
  panel->addWidget(label);
  panel->addWidget(grid, 1);
  panel->addLayout(boxes);
  return panel;
}
}  // namespace

Tfwlbwh::Tfwlbwh(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("服务类别维护"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    openServices();
    openList(ReferenceList::Suppliers);
    openList(ReferenceList::Units);
    setListWidth(ReferenceList::Suppliers);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void Tfwlbwh::buildLayout() {
  DBGrid1 = NewGrid(this, QStringLiteral("DBGrid1"), RowStripes::WhiteDesktop);
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("填加"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("修改"));
  DBGrid2 = NewGrid(this, QStringLiteral("DBGrid2"), RowStripes::YellowAqua);
  Edit4 = NewEdit(this, QStringLiteral("Edit4"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("填加"));
  DBGrid3 = NewGrid(this, QStringLiteral("DBGrid3"), RowStripes::YellowAqua);
  Edit6 = NewEdit(this, QStringLiteral("Edit6"));
  BitBtn4 = NewButton(this, QStringLiteral("BitBtn4"), QStringLiteral("填加"));

  auto* buttons = new QWidget(this);
  auto* buttonRow = new QHBoxLayout(buttons);
  buttonRow->setContentsMargins(0, 0, 0, 0);
  buttonRow->addWidget(BitBtn1);
  buttonRow->addWidget(BitBtn2);
  QGridLayout* serviceBoxes =
      FieldGrid(this, {{{"服务类别：", Edit1}}, {{"识别码：", Editpysx}}, {{"金    额：", Edit2, "元"}}, {{"", buttons}}});
  QGridLayout* unitBoxes = FieldGrid(this, {{{"", Edit4}, {"", BitBtn3}}});
  QGridLayout* supplierBoxes = FieldGrid(this, {{{"", Edit6}, {"", BitBtn4}}});

  auto* page = new QHBoxLayout(this);
  page->addLayout(Panel(this, QStringLiteral("服 务 类 别 设  置"), DBGrid1, serviceBoxes));
  page->addLayout(Panel(this, QStringLiteral("单位信息设置"), DBGrid2, unitBoxes));
  page->addLayout(Panel(this, QStringLiteral("供货单位信息设置"), DBGrid3, supplierBoxes));
}

void Tfwlbwh::wireHandlers() {
  connect(Edit1, &QLineEdit::textChanged, this, &Tfwlbwh::Edit1Change);
  connect(DBGrid1, &DataGrid::CellClick, this, &Tfwlbwh::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::KeyPress, this, &Tfwlbwh::DBGrid1KeyPress);
  // A typed letter copies the row the grid stands on, never another.
  OnTypedCharacter(DBGrid1, [this] { DBGrid1KeyPress(); });
  // Only a double click on a row deletes, and the item of that row.
  connect(DBGrid1, &DataGrid::DblClick, this, &Tfwlbwh::DBGrid1DblClick);
  connect(BitBtn1, &QPushButton::clicked, this, &Tfwlbwh::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &Tfwlbwh::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &Tfwlbwh::BitBtn3Click);
  connect(DBGrid2, &DataGrid::DblClick, this, &Tfwlbwh::DBGrid2DblClick);
  connect(BitBtn4, &QPushButton::clicked, this, &Tfwlbwh::BitBtn4Click);
  connect(DBGrid3, &DataGrid::DblClick, this, &Tfwlbwh::DBGrid3DblClick);
  AmountKeyFilter(Edit2);
  ChainEnter({Edit1, Edit2, BitBtn1});
  ChainEnter(Edit4, BitBtn3);
  ChainEnter(Edit6, BitBtn4);
  OnEnter(DBGrid1, [this] {
    DBGrid1KeyPress();
    Edit1->setFocus(Qt::OtherFocusReason);
  });
}

void Tfwlbwh::openServices() {
  QSqlQuery query = Exec(connection_.db(), kSelectServices);
  DBGrid1->Open(query);
  DBGrid1->SetColumnWidths(kServiceWidths);
}

// Reopening a list gives its column the grid's default width again; an
// add widens it, a delete does not.
void Tfwlbwh::openList(ReferenceList list) {
  QSqlQuery query = Exec(connection_.db(), kSelectList.arg(ReferenceTable(list)));
  listGrid(list)->Open(query);
}

void Tfwlbwh::setListWidth(ReferenceList list) { listGrid(list)->SetColumnWidths(kListWidths); }

DataGrid* Tfwlbwh::listGrid(ReferenceList list) const { return list == ReferenceList::Units ? DBGrid2 : DBGrid3; }
QLineEdit* Tfwlbwh::listBox(ReferenceList list) const { return list == ReferenceList::Units ? Edit4 : Edit6; }

void Tfwlbwh::Edit1Change() { Editpysx->setText(PinyinAbbreviation(Edit1->text())); }

void Tfwlbwh::DBGrid1CellClick() {
  if (DBGrid1->CurrentRow() < 0) return;
  Editpysx->setText(DBGrid1->Cell(kCodeColumn).trimmed());
  Edit1->setText(DBGrid1->Cell(kNameColumn).trimmed());
  Edit2->setText(DBGrid1->Cell(kPriceColumn).trimmed());
}

void Tfwlbwh::DBGrid1KeyPress() { DBGrid1CellClick(); }

void Tfwlbwh::clearServiceBoxes() {
  Edit1->clear();
  Edit2->clear();
}

void Tfwlbwh::BitBtn1Click() {
  try {
    switch (AddServiceItem(connection_.db(), Editpysx->text(), Edit1->text(), Edit2->text())) {
      case ListChange::Done: break;
      case ListChange::Incomplete: return ShowMessage(kIncomplete);
      case ListChange::Duplicate: return ShowMessage(kDuplicateEntry);
      case ListChange::Failed: return ShowMessage(PostingFailedText(connection_.db()));
    }
    openServices();
  } catch (const DbError& e) {
    return ShowError(e.text());
  }
  Edit1->setFocus();
  clearServiceBoxes();
}

void Tfwlbwh::BitBtn2Click() {
  try {
    if (ChangeServicePrice(connection_.db(), Edit1->text(), Edit2->text()) != ListChange::Done)
      return ShowMessage(kIncomplete);
    openServices();
  } catch (const DbError& e) {
    return ShowError(e.text());
  }
  Edit1->setFocus();
  clearServiceBoxes();
}

void Tfwlbwh::DBGrid1DblClick() {
  const int row = DBGrid1->DblClickRow();
  if (row < 0) return;
  const QString item = DBGrid1->Model()->Value(row, kNameColumn).toString();
  try {
    if (AskYesNo(kDeleteQuestion, kDeleteTitle) && DeleteServiceItem(connection_.db(), item) == ListChange::Failed)
      ShowMessage(PostingFailedText(connection_.db()));
    openServices();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  clearServiceBoxes();
}

void Tfwlbwh::addEntry(ReferenceList list) {
  try {
    switch (AddListEntry(connection_.db(), list, listBox(list)->text())) {
      case ListChange::Done: break;
      case ListChange::Incomplete: return ShowMessage(kIncomplete);
      case ListChange::Duplicate:
        return ShowMessage(list == ReferenceList::Units ? kDuplicateUnit : kDuplicateEntry);
      case ListChange::Failed: return ShowMessage(PostingFailedText(connection_.db()));
    }
    openList(list);
    setListWidth(list);
  } catch (const DbError& e) {
    return ShowError(e.text());
  }
  listBox(list)->clear();
}

void Tfwlbwh::deleteEntry(ReferenceList list) {
  DataGrid* grid = listGrid(list);
  if (grid->CurrentRow() < 0 || !AskYesNo(kDeleteQuestion, kDeleteTitle)) return;
  try {
    DeleteListEntry(connection_.db(), list, grid->Cell(0));
    openList(list);
  } catch (const DbError& e) {
    return ShowError(e.text());
  }
  listBox(list)->clear();
}

void Tfwlbwh::BitBtn3Click() { addEntry(ReferenceList::Units); }
void Tfwlbwh::DBGrid2DblClick() { deleteEntry(ReferenceList::Units); }
void Tfwlbwh::BitBtn4Click() { addEntry(ReferenceList::Suppliers); }
void Tfwlbwh::DBGrid3DblClick() { deleteEntry(ReferenceList::Suppliers); }
