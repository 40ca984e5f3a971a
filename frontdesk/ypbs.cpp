#include "frontdesk/ypbs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "frontdesk/correctionlists.h"
#include "frontdesk/stagingconfirm.h"
#include "platform/clock.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
const QString kSelectStaged = QStringLiteral(
    R"~(select fkxi.编号, ypxi.品名, fkxi.入库时间, fkxi.报损时间, fkxi.药品批号, fkxi.数量, ypxi.单位, )~"
    R"~(fkxi."单价(元)", fkxi."总价(元)", fkxi.药品来源, ypxi.厂商, fkxi.入库人帐号, fkxi.报损原因 )~"
    "from 药品报损临时信息 as fkxi, 药品信息 as ypxi where (ypxi.编号 = fkxi.编号)");
const QString kOfAccount = QStringLiteral(" and fkxi.报损人帐号 = ?");

const QString kNoQuantity = QStringLiteral("请选择信息报损信息");
const QString kQuestion = QStringLiteral("您确定本药要报损吗？确定按\"是\"");
const QString kQuestionTitle = QStringLiteral("报损提示");
const QString kSaleTitle = QStringLiteral("零售单价(元)");

const QList<int> kReceiptWidths = {60, 120, 60, 60, 40, 40, 60, 60, 120, 120, 60, 60};
const QList<int> kPinyinWidths = {60, 120, 60, 60, 40, 40, 60, 60, 60, 120, 60, 60};
const QList<int> kStagedWidths = {60, 120, 60, 60, 60, 60, 60, 60, 60, 60, 120};
}  // namespace

TFormypbs::TFormypbs(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("药品报损信息"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    loadReceipts(ReceiptList::ByPinyinPrefix);
    loadStaged(false);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypbs::buildLayout() {
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kMoneyDecimals,
                              kMoneyDecimals});
  DBGrid2 = new DataGrid(this);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kThreeDecimals,
                              kMoneyDecimals, kThreeDecimals});
  Editph = NewEdit(this, QStringLiteral("Editph"));
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  Editpysx->setReadOnly(true);
  Editbh = NewEdit(this, QStringLiteral("Editbh"));
  Editpm = NewEdit(this, QStringLiteral("Editpm"));
  Editxcsl = NewEdit(this, QStringLiteral("Editxcsl"), QStringLiteral("0"));
  Editfksl = NewEdit(this, QStringLiteral("Editfksl"), QStringLiteral("0"));
  Edityy = NewEdit(this, QStringLiteral("Edityy"));
  for (QLineEdit* shown : {Editbh, Editpm, Editxcsl}) shown->setReadOnly(true);
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("药品报损"));
  BitBtn5 = NewButton(this, QStringLiteral("BitBtn5"), QStringLiteral("确认报损"));

  QGridLayout* boxes = FieldGrid(this, {{{"药品批号：", Editph},
                                         {"药品识别码：     ", Editpysx},
                                         {"药品编号：", Editbh},
                                         {"品名：    ", Editpm}},
                                        {{"目前库存：  ", Editxcsl},
                                         {"报损数量：       ", Editfksl},
                                         {"报损原因：  ", Edityy},
                                         {"", BitBtn1}},
                                        {{"", BitBtn5}}});
  auto* page = new QVBoxLayout(this);
  page->addWidget(new QLabel(QStringLiteral("药品报损库信息"), this));
  page->addWidget(new QLabel(QStringLiteral("药品报损信息：                 "), this));
  page->addWidget(DBGrid1, 1);
  page->addWidget(new QLabel(QStringLiteral("药品信息：         "), this));
  page->addWidget(DBGrid2, 1);
  page->addLayout(boxes);
}

void TFormypbs::wireHandlers() {
  connect(Editph, &QLineEdit::textChanged, this, &TFormypbs::EditphChange);
  ChainEnter(Editph, Editpysx);
  connect(Editpysx, &QLineEdit::textChanged, this, &TFormypbs::EditpysxChange);
  OnEnter(Editpysx, [this] { EditpysxEnter(); });
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormypbs::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::KeyUp, this, &TFormypbs::DBGrid2KeyUp);
  OnEnter(DBGrid2, [this] { DBGrid2Enter(); });
  OnKeyUp(Editfksl, [this](int) { EditfkslKeyUp(); });
  ChainEnter({Editfksl, Edityy, BitBtn1});
  connect(BitBtn1, &QPushButton::clicked, this, &TFormypbs::BitBtn1Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TFormypbs::BitBtn5Click);
}

void TFormypbs::EditphChange() { Editpysx->setReadOnly(false); }

void TFormypbs::EditpysxChange() {
  Editfksl->setText(QStringLiteral("0"));
  try {
    loadReceipts(ReceiptList::ByPinyin);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypbs::EditpysxEnter() {
  DBGrid2->setFocus();
  showReceipt();
}

void TFormypbs::DBGrid2CellClick() {
  showReceipt();
  if (DBGrid2->CurrentRow() >= 0) Editbh->setText(DBGrid2->Cell(kReceiptCode).trimmed());
  try {
    Editxcsl->setText(BatchQuantityText(connection_.db(), DBGrid2->Cell(kReceiptCode), Editph->text()));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypbs::DBGrid2KeyUp() { showReceipt(); }

void TFormypbs::DBGrid2Enter() {
  if (DBGrid2->Cell(kReceiptCode).trimmed().isEmpty()) return;
  Editbh->setText(DBGrid2->Cell(kReceiptCode));
  Editfksl->setFocus();
}

void TFormypbs::EditfkslKeyUp() {
  if (Editfksl->text().isEmpty()) return;
  const std::optional<double> typed = ParseFloat(Editfksl->text());
  const std::optional<double> most = ParseFloat(Editxcsl->text());
  if (typed && most && *typed >= *most) Editfksl->setText(Editxcsl->text());
}

void TFormypbs::BitBtn1Click() {
  Editpysx->setReadOnly(true);
  const QSqlDatabase db = connection_.db();
  try {
    if (DBGrid2->CurrentRow() < 0 ||
        !BatchExists(db, DBGrid2->Cell(kReceiptCode), DBGrid2->Cell(kReceiptBatch))) {
      ShowMessage(kNotOurBatch);
    } else if (!ParsePositiveAmount(Editfksl->text())) {
      ShowMessage(kNoQuantity);
    } else if (AskYesNo(kQuestion, kQuestionTitle)) {
      const CorrectionRequest request{Correction::WriteOff, DBGrid2->CellValue(kReceiptRowId).toLongLong(),
                                      Editfksl->text(),     Edityy->text(),
                                      CurrentAccount(),     Clock::today()};
      switch (StageCorrection(db, request)) {
        case StagingOutcome::Staged: break;
        case StagingOutcome::BadQuantity: ShowMessage(kNoQuantity); break;
        case StagingOutcome::ShortStock: ShowMessage(kShortStock); break;
        case StagingOutcome::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
      }
      Editfksl->setText(QStringLiteral("0"));
      loadReceipts(ReceiptList::WithBatch);
      loadStaged(true);
    }
  } catch (const DbError& e) {
    ShowError(e.text());
  }
  Editpysx->setFocus();
}

void TFormypbs::BitBtn5Click() {
  if (StagingConfirm(connection_.db(), Correction::WriteOff, CurrentAccount()) < 0)
    ShowMessage(PostingFailedText(connection_.db()));
  try {
    loadStaged(true);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypbs::showReceipt() {
  if (DBGrid2->CurrentRow() < 0) return;
  Editbh->setText(DBGrid2->Cell(kReceiptCode));
  Editpm->setText(DBGrid2->Cell(kReceiptName).trimmed());
}

void TFormypbs::loadReceipts(ReceiptList list) {
  QSqlQuery query = SelectReceipts(connection_.db(), list, Editpysx->text(), Editph->text(), kSaleTitle);
  OpenReceipts(DBGrid2, query, list == ReceiptList::ByPinyin ? kPinyinWidths : kReceiptWidths);
}

void TFormypbs::loadStaged(bool everyAccount) {
  QSqlQuery query = everyAccount ? Exec(connection_.db(), kSelectStaged)
                                 : Exec(connection_.db(), kSelectStaged + kOfAccount, {CurrentAccount()});
  DBGrid1->Open(query);
  DBGrid1->SetColumnWidths(kStagedWidths);
}
