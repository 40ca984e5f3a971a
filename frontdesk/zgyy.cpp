#include "frontdesk/zgyy.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/pricing.h"
#include "frontdesk/visitserial.h"
#include "platform/amountkeys.h"
#include "platform/clock.h"
#include "platform/combolist.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

const QString kSelectPricedLines = QStringLiteral(
    "select ypxi.编号, ypxi.品名, cklsxi.数量, ypxi.单位, cklsxi.\"单价(元)\", cklsxi.\"总价(元)\", ypxi.规格, ypxi.厂商 "
    "from 药品信息 as ypxi, 临时出库信息 as cklsxi "
    "where cklsxi.编号 = ypxi.编号 and cklsxi.流水号 = ? and cklsxi.划价人帐号 = ? order by cklsxi.编号");
const QList<int> kPricedLineDecimals{kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals, kMoneyDecimals};

namespace {
// The pinyin code is a prefix; %1 is the store's case-blind like.
const QString kSelectGoods = QStringLiteral(
    "select ypxi.编号, ypxi.品名, kc.数量, ypxi.单位, ypxi.\"售价(元)\", ypxi.规格, ypxi.厂商 "
    "from 药品信息 as ypxi, 库存 as kc where ypxi.拼音缩写 %1 ? and ypxi.编号 = kc.编号");
const QString kInStockOnly = QStringLiteral(" and abs(kc.数量) > ?");
const QString kGoodsOrder = QStringLiteral(" order by ypxi.编号");
const QString kFindLine =
    QStringLiteral("select 编号 from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 编号 = ?");
// The receipt price offered as the sale price; receipts in the order
// they were written.
const QString kFirstReceiptPrice =
    QStringLiteral("select \"单价(元)\" from 入库信息 where 编号 = ? order by 行号 limit 1");
const QString kLastReceiptPrice =
    QStringLiteral("select \"单价(元)\" from 入库信息 where 编号 = ? order by 行号 desc limit 1");

const QList<int> kGoodsWidths{40, 240, 40, 40, 40, 80, 210};
const QList<int> kGoodsDecimals{kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals};
const QList<int> kLineWidthsAtOpen{50, 160, 60, 60, 60, 60, 60};
const QList<int> kLineWidths{40, 160, 60, 60, 60, 60, 60, 180};

const QString kCategoryPrompt = QStringLiteral("请选择收费类别");
const QString kDoctorPrompt = QStringLiteral("请选择医师");
const QString kStaffCategory = QStringLiteral("职工用药");
const QString kDirector = QStringLiteral("院长");
const QString kEnterQuantity = QStringLiteral("对不起，请输入药品数量");
const QString kQuantityNoNumber = QStringLiteral("对不起，药品数量必须是数字");
const QString kPriceNoNumber = QStringLiteral("对不起，药品单价必须是不小于零的数字");
const QString kPickGoods = QStringLiteral("对不起，请选择药品信息");
const QString kEnterVisit = QStringLiteral("对不起，请输入患者姓名，收费类别和选择医师");
const QString kShortStock = QStringLiteral("对不起，库存数量不足");
const QString kRemoveLinesFirst = QStringLiteral("对不起，请将服务信息和患者用药资料全部删出后在重新划价");
const QString kVisitTaken =
    QStringLiteral("对不起，此流水号的划价已被结帐、作废或由其他划价台使用，本次输入未保存，请重新开方");

// The last category and doctor chosen, kept for every pricing window.
QString& LastCategory() {
  static QString text;
  return text;
}
QString& LastDoctor() {
  static QString text;
  return text;
}

void ShowFailure(const DbError& error) { ShowError(error.text()); }
}  // namespace

TFormzgyy::~TFormzgyy() = default;

TFormzgyy::TFormzgyy(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("职工用药"));
  buildLayout();
  wireHandlers();
  connection_ = OpenClinicDatabase();
  openVisitLines(kLineWidthsAtOpen);
  openGoods(true);
  // The window opens with the focus in the name box, and entering it draws
  // the serial, whether or not the window is the active one yet.
  Edit1Enter();
}

void TFormzgyy::buildLayout() {
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  Editlsh = NewEdit(this, QStringLiteral("Editlsh"), QStringLiteral("0"));
  Editlsh->hide();
  ComboBox3 = NewPickCombo(this, QStringLiteral("ComboBox3"), kCategoryPrompt);
  ComboBoxys = NewPickCombo(this, QStringLiteral("ComboBoxys"), kDoctorPrompt);
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetStripes(RowStripes::YellowAqua);
  DBGrid1->SetColumnDecimals(kPricedLineDecimals);
  Edit2 = NewEdit(this, QStringLiteral("Edit2"), QStringLiteral("0"));
  // The total is the store's sum of the lines; nothing typed here counts.
  Edit2->setReadOnly(true);
  QFont bold = Edit2->font();
  bold.setBold(true);
  Edit2->setFont(bold);
  DBGrid3 = new DataGrid(this);
  DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
  DBGrid3->SetColumnDecimals(kGoodsDecimals);
  // Unlike the desks, this window lets its columns be dragged; cells are
  // read by the data's own column, wherever it shows.
  for (DataGrid* grid : {DBGrid1, DBGrid3}) grid->horizontalHeader()->setSectionsMovable(true);
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  Editkcsl = NewEdit(this, QStringLiteral("Editkcsl"), QStringLiteral("0"));
  Editkcsl->setReadOnly(true);
  Editsl = NewEdit(this, QStringLiteral("Editsl"), QStringLiteral("0"));
  Editdj = NewEdit(this, QStringLiteral("Editdj"), QStringLiteral("0"));
  Editjj = NewEdit(this, QStringLiteral("Editjj"), QStringLiteral("0"));
  Editjj->setReadOnly(true);
  Editbh = NewEdit(this, QStringLiteral("Editbh"));
  Editbh->setReadOnly(true);
  Edit3 = NewEdit(this, QStringLiteral("Edit3"));
  Edit3->setReadOnly(true);
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("药品输入"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("制作开方凭证"));
  BitBtn2->hide();
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("重新开方"));

  auto* page = new QVBoxLayout(this);
  page->addLayout(FieldGrid(this, {{{"患者姓名：", Edit1}, {"", ComboBox3}, {"", ComboBoxys}}}));
  page->addWidget(new QLabel(QStringLiteral("患者用药资料"), this));
  page->addWidget(DBGrid1, 1);
  auto* totalRow = new QHBoxLayout;
  totalRow->addLayout(FieldGrid(this, {{{"药品总价", Edit2}}}));
  totalRow->addStretch();
  totalRow->addWidget(BitBtn1);
  totalRow->addWidget(BitBtn3);
  totalRow->addWidget(BitBtn2);
  page->addLayout(totalRow);
  page->addWidget(new QLabel(QStringLiteral("药品信息"), this));
  page->addWidget(DBGrid3, 1);
  page->addLayout(FieldGrid(this, {{{"输入拼音缩写码：", Editpysx}, {"库存", Editkcsl}, {"数量", Editsl},
                                     {"药品单价：", Editdj}},
                                    {{"批发价：", Editjj}, {"药品编号：", Editbh}, {"品名：", Edit3}}}));
}

void TFormzgyy::wireHandlers() {
  OnFocusEnter(Edit1, [this] { Edit1Enter(); });
  OnEnter(Edit1, [this] { Edit1KeyPress(); });
  OnFocusExit(Edit1, this, [this](QWidget*) { Edit1Exit(); });
  OnFocusEnter(ComboBox3, [this] { ComboBox3Enter(); });
  // Picked by mouse, keys or however else an item of the list comes to
  // show; the prompts are no items, so resetting to them stores nothing.
  connect(ComboBox3, &QComboBox::textActivated, this, &TFormzgyy::ComboBox3Change);
  connect(ComboBox3, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (ComboBox3->findText(text) >= 0) ComboBox3Change();
  });
  OnFocusExit(ComboBox3, this, [this](QWidget*) { ComboBox3Exit(); });
  OnEnter(ComboBox3, [this] { ComboBox3KeyPress(); });
  OnFocusEnter(ComboBoxys, [this] { ComboBoxysEnter(); });
  connect(ComboBoxys, &QComboBox::textActivated, this, &TFormzgyy::ComboBoxysChange);
  connect(ComboBoxys, &QComboBox::currentTextChanged, this, [this](const QString& text) {
    if (ComboBoxys->findText(text) >= 0) ComboBoxysChange();
  });
  OnFocusExit(ComboBoxys, this, [this](QWidget*) { ComboBoxysExit(); });
  OnEnter(ComboBoxys, [this] { ComboBoxysKeyPress(); });
  connect(Editpysx, &QLineEdit::textChanged, this, &TFormzgyy::EditpysxChange);
  OnEnter(Editpysx, [this] { EditpysxKeyPress(); });
  connect(DBGrid3, &DataGrid::CellClick, this, &TFormzgyy::DBGrid3CellClick);
  OnEnter(DBGrid3, [this] { DBGrid3KeyPress(); });
  connect(DBGrid3, &DataGrid::KeyUp, this, &TFormzgyy::DBGrid3KeyUp);
  AmountKeyFilter(Editsl);
  AmountKeyFilter(Editdj);
  OnEnter(Editsl, [this] { EditslKeyPress(); });
  OnKeyUp(Editsl, [this](int) { EditslKeyUp(); });
  OnEnter(Editdj, [this] { EditdjKeyPress(); });
  connect(BitBtn3, &QPushButton::clicked, this, &TFormzgyy::BitBtn3Click);
  connect(DBGrid1, &DataGrid::DblClick, this, &TFormzgyy::DBGrid1DblClick);
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormzgyy::DBGrid1CellClick);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormzgyy::BitBtn2Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormzgyy::BitBtn1Click);
  OnFocusEnter(BitBtn1, [this] { BitBtn1Enter(); });
}

// A new serial on entry into the name box, unless the visit under way
// already has lines: its key stays what it was when it started.
void TFormzgyy::Edit1Enter() {
  if (!serialUnused_) return;
  if (holdVisitKey()) Edit2->setText(QStringLiteral("0.00"));
}

bool TFormzgyy::holdVisitKey() {
  const bool held = !serialUnused_ || (key_.serial > 0 && key_.account == CurrentAccount());
  if (!held) {
    try {
      const QString account = CurrentAccount();
      key_ = {double(NextVisitSerial(connection_.db(), account)), account};
    } catch (const DbError&) {
      ShowMessage(PostingFailedText(connection_.db()));
      return false;
    }
  }
  Editlsh->setText(QString::number(qint64(key_.serial)));
  return true;
}

// The visit was settled, voided by a day close or taken by another desk:
// its lines, read again, are none, so "重新开方" starts the next at once.
void TFormzgyy::visitGone() {
  ShowMessage(kVisitTaken);
  dropVisitKey();
  openVisitLines(kLineWidths);
  showTotal();
}

void TFormzgyy::dropVisitKey() {
  key_.serial = 0;
  serialUnused_ = true;
  Editlsh->setText(QStringLiteral("0"));
}

void TFormzgyy::Edit1KeyPress() {
  Edit1->setReadOnly(true);
  ComboBox3->setFocus(Qt::TabFocusReason);
  BitBtn2->show();
  BitBtn3->show();
}

void TFormzgyy::Edit1Exit() { Edit1->setReadOnly(true); }

void TFormzgyy::ComboBox3Enter() { AppendItems(ComboBox3, {kStaffCategory}); }
void TFormzgyy::ComboBox3Change() { LastCategory() = ComboBox3->currentText().trimmed(); }
void TFormzgyy::ComboBox3Exit() { ResetCombo(ComboBox3, LastCategory()); }
void TFormzgyy::ComboBox3KeyPress() {
  ComboBox3->setEnabled(false);
  ComboBoxys->setFocus(Qt::TabFocusReason);
}

void TFormzgyy::ComboBoxysEnter() { AppendItems(ComboBoxys, {kDirector}); }
void TFormzgyy::ComboBoxysChange() { LastDoctor() = ComboBoxys->currentText().trimmed(); }
void TFormzgyy::ComboBoxysExit() { ResetCombo(ComboBoxys, LastDoctor()); }
void TFormzgyy::ComboBoxysKeyPress() {
  ComboBoxys->setEnabled(false);
  Editpysx->setFocus(Qt::TabFocusReason);
}

void TFormzgyy::EditpysxChange() {
  try {
    openGoods(true);
  } catch (const DbError& e) {
    ShowFailure(e);
  }
}

void TFormzgyy::EditpysxKeyPress() {
  DBGrid3->setFocus(Qt::TabFocusReason);
  pickGoods(true, true, true);
}

void TFormzgyy::DBGrid3CellClick() { pickGoods(true, false, false); }

void TFormzgyy::DBGrid3KeyPress() {
  Editsl->setFocus(Qt::TabFocusReason);
  pickGoods(false, true, false);
}

void TFormzgyy::DBGrid3KeyUp() { pickGoods(true, true, true); }

void TFormzgyy::EditslKeyPress() {
  if (!BitBtn3->isHidden())
    BitBtn3->setFocus(Qt::TabFocusReason);
  else
    Editpysx->setFocus(Qt::TabFocusReason);
}

// No more than the stock shown can be asked for.
void TFormzgyy::EditslKeyUp() {
  const QString text = Editsl->text().trimmed();
  if (text.isEmpty()) return;
  const std::optional<double> quantity = ParseFloat(text);
  const std::optional<double> stock = ParseFloat(Editkcsl->text());
  if (quantity && stock && *quantity > *stock) Editsl->setText(Editkcsl->text());
}

void TFormzgyy::EditdjKeyPress() { BitBtn3->setFocus(Qt::TabFocusReason); }

void TFormzgyy::BitBtn3Click() {
  const QSqlDatabase db = connection_.db();
  try {
    [&] {
      const QString quantityText = Editsl->text().trimmed();
      const std::optional<double> quantity = ParseAmount(quantityText);
      if (quantityText.isEmpty() || quantityText == QLatin1String("0") || (quantity && *quantity <= 0)) {
        ShowMessage(kEnterQuantity);
        Editsl->setFocus(Qt::OtherFocusReason);
        return;
      }
      if (!quantity) {
        ShowMessage(kQuantityNoNumber);
        Editsl->setFocus(Qt::OtherFocusReason);
        return;
      }
      const QString code = Editbh->text().trimmed();
      const bool onVisit = !code.isEmpty() && !ScalarText(db, kFindLine, {key_.serial, key_.account, code}).isEmpty();
      if (!onVisit) {
        if (code.isEmpty()) {
          ShowMessage(kPickGoods);
          return;
        }
        const QString category = ComboBox3->currentText().trimmed();
        const QString doctor = ComboBoxys->currentText().trimmed();
        if (Edit1->text().trimmed().isEmpty() || category.isEmpty() || doctor.isEmpty() || doctor == kDoctorPrompt ||
            category == kCategoryPrompt) {
          ShowMessage(kEnterVisit);
          return;
        }
      }
      // The price shown makes a new line's price only: goods on the visit
      // add to their line, which keeps its own, whatever the box shows.
      std::optional<double> price;
      if (!onVisit) {
        price = ParseAmount(Editdj->text());
        if (!price || *price < 0) {
          ShowMessage(kPriceNoNumber);
          Editdj->setFocus(Qt::OtherFocusReason);
          return;
        }
      }
      if (!holdVisitKey()) return;
      const PricedLine line{code, *quantity, price, ComboBoxys->currentText().trimmed(),
                            ComboBox3->currentText().trimmed(), Clock::today()};
      switch (AddPricedLine(db, key_, line, serialUnused_)) {
        case PricingResult::Done:
          serialUnused_ = false;
          Editsl->setText(QStringLiteral("0"));
          break;
        case PricingResult::ShortStock: ShowMessage(kShortStock); break;
        case PricingResult::BadQuantity:
          ShowMessage(kQuantityNoNumber);
          Editsl->setFocus(Qt::OtherFocusReason);
          return;
        case PricingResult::BadPrice:
          ShowMessage(kPriceNoNumber);
          Editdj->setFocus(Qt::OtherFocusReason);
          return;
        case PricingResult::VisitTaken: visitGone(); break;
        default: ShowMessage(PostingFailedText(connection_.db()));
      }
      openVisitLines(kLineWidths);
      showTotal();
      Editbh->clear();
      Editpysx->setFocus(Qt::OtherFocusReason);
    }();
    // Goods whose stock just reached 0 stay listed until the next search.
    openGoods(false);
  } catch (const DbError& e) {
    ShowFailure(e);
  }
}

// Removed at once, no question asked; the stock goes back with it.
void TFormzgyy::DBGrid1DblClick() {
  const QString code = DBGrid1->Cell(0).trimmed();
  if (code.isEmpty()) return;
  try {
    switch (RemovePricedLine(connection_.db(), key_, code)) {
      case PricingResult::Done: break;
      // The line was settled or voided elsewhere, with its visit.
      case PricingResult::NoLine:
      case PricingResult::VisitTaken: visitGone(); break;
      default: ShowMessage(PostingFailedText(connection_.db()));
    }
    openVisitLines(kLineWidths);
    serialUnused_ = DBGrid1->RecordCount() == 0;
    showTotal();
    openGoods(false);
  } catch (const DbError& e) {
    ShowFailure(e);
  }
}

void TFormzgyy::DBGrid1CellClick() { Editbh->setText(DBGrid1->Cell(0).trimmed()); }

void TFormzgyy::BitBtn2Click() {
  if (!DBGrid1->Cell(0).trimmed().isEmpty()) {
    try {
      QString failure;
      const PricingResult made = MakeVoucher(connection_.db(), key_, Edit1->text().trimmed(),
                                             ComboBox3->currentText().trimmed(), Clock::today(), &failure);
      if (made == PricingResult::Done) {
        ComboBox3->clear();
        ComboBoxys->clear();
        Edit1->clear();
        resetCombos();
        dropVisitKey();
        openVisitLines(kLineWidths);
      } else if (made == PricingResult::Failed) {
        ShowMessage(PostingFailedText(connection_.db()));
      } else {
        visitGone();
      }
    } catch (const DbError& e) {
      ShowFailure(e);
    }
  }
  hideVisitButtons();
}

void TFormzgyy::BitBtn1Click() {
  restartVisit();
  hideVisitButtons();
}

void TFormzgyy::BitBtn1Enter() { restartVisit(); }

bool TFormzgyy::restartVisit() {
  if (DBGrid1->RecordCount() > 0 && !DBGrid1->Cell(0).trimmed().isEmpty()) {
    ShowMessage(kRemoveLinesFirst);
    return false;
  }
  Edit1->clear();
  resetCombos();
  Edit1->setReadOnly(false);
  Edit2->setText(QStringLiteral("0.00"));
  // A serial reserved and still unused serves the next patient.
  if (!serialUnused_) dropVisitKey();
  Editlsh->clear();
  return true;
}

void TFormzgyy::hideVisitButtons() {
  // The focus leaving a button as it hides must not land on "重新开方"
  // and start a new visit unasked.
  if (BitBtn2->hasFocus() || BitBtn3->hasFocus()) Editpysx->setFocus(Qt::OtherFocusReason);
  BitBtn2->hide();
  BitBtn3->hide();
}

void TFormzgyy::resetCombos() {
  ComboBoxys->setEditText(kDoctorPrompt);
  ComboBox3->setEditText(kCategoryPrompt);
  ComboBoxys->setEnabled(true);
  ComboBox3->setEnabled(true);
}

void TFormzgyy::openVisitLines(const QList<int>& widths) {
  QSqlQuery lines = Exec(connection_.db(), kSelectPricedLines, key_.Values());
  DBGrid1->Open(lines);
  DBGrid1->SetColumnWidths(widths);
}

void TFormzgyy::openGoods(bool onlyInStock) {
  const QSqlDatabase db = connection_.db();
  QString sql = kSelectGoods.arg(LikeOperator(db));
  QVariantList values{Editpysx->text().trimmed() + QLatin1Char('%')};
  if (onlyInStock) {
    sql += kInStockOnly;
    values << kQuantityTolerance;
  }
  QSqlQuery goods = Exec(db, sql + kGoodsOrder, values);
  DBGrid3->Open(goods);
  DBGrid3->SetColumnWidths(kGoodsWidths);
}

void TFormzgyy::pickGoods(bool takeName, bool emptyStockAsZero, bool firstReceipt) {
  const QString code = DBGrid3->Cell(0).trimmed();
  Editbh->setText(code);
  if (takeName) Edit3->setText(DBGrid3->Cell(1).trimmed());
  QString stock = DBGrid3->Cell(2).trimmed();
  if (stock.isEmpty() && emptyStockAsZero) stock = QStringLiteral("0");
  Editkcsl->setText(stock);
  try {
    const QString price =
        ScalarText(connection_.db(), firstReceipt ? kFirstReceiptPrice : kLastReceiptPrice, {code});
    Editjj->setText(price);
    Editdj->setText(price);
  } catch (const DbError& e) {
    ShowFailure(e);
  }
  BitBtn3->setVisible(ParseFloat(stock).value_or(0) > kQuantityTolerance);
}

void TFormzgyy::showTotal() {
  const std::optional<double> total = VisitTotal(connection_.db(), key_);
  Edit2->setText(TwoDecimals(total.value_or(0)));
}
