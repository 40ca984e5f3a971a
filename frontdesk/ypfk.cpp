#include "frontdesk/ypfk.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "frontdesk/correctionlists.h"
#include "frontdesk/stagingconfirm.h"
#include "platform/amountkeys.h"
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
    R"~(select fkxi.编号, ypxi.品名, fkxi.入库时间, fkxi.返库时间, fkxi.药品批号, fkxi.数量, ypxi.单位, )~"
    R"~(fkxi."单价(元)", fkxi."总价(元)", fkxi.药品来源, ypxi.厂商, fkxi.入库人帐号, fkxi.返库原因 )~"
    "from 临时反库信息 as fkxi, 药品信息 as ypxi where (ypxi.编号 = fkxi.编号)");
const QString kOfAccount = QStringLiteral(" and fkxi.反库人帐号 = ?");

const QString kNoQuantity = QStringLiteral("请选择反库信息");
const QString kQuestion = QStringLiteral("您确定本药要反库吗？确定按\"是\"");
const QString kQuestionTitle = QStringLiteral("反库提示");
const QString kSaleTitle = QStringLiteral("售价(元)");

const QList<int> kReceiptWidths = {60, 120, 70, 60, 40, 40, 60, 60, 120, 120, 60};
const QList<int> kPinyinWidths = {60, 120, 60, 60, 40, 40, 60, 60, 120, 160, 60};
const QList<int> kStagedWidths = {60, 120, 70, 70, 60, 60, 60, 60, 60, 60, 120, 60};
}  // namespace

TFormypfk::TFormypfk(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("药品反库"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    loadReceiptsWithBatch();
    loadStaged(false);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfk::buildLayout() {
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kThreeDecimals,
                              kThreeDecimals});
  DBGrid2 = new DataGrid(this);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  DBGrid2->SetColumnDecimals({kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kGeneral, kThreeDecimals,
                              kThreeDecimals, kThreeDecimals});
  Editph = NewEdit(this, QStringLiteral("Editph"));
  Editpysx = NewEdit(this, QStringLiteral("Editpysx"));
  Editpysx->setReadOnly(true);
  Editpysx->setToolTip(QStringLiteral("请先输入药品批号"));
  Editbh = NewEdit(this, QStringLiteral("Editbh"));
  Editpm = NewEdit(this, QStringLiteral("Editpm"));
  Editrksl = NewEdit(this, QStringLiteral("Editrksl"), QStringLiteral("0"));
  Editfksl = NewEdit(this, QStringLiteral("Editfksl"), QStringLiteral("0"));
  Editxcsl = NewEdit(this, QStringLiteral("Editxcsl"), QStringLiteral("0.00"));
  Editfkyy = NewEdit(this, QStringLiteral("Editfkyy"));
  for (QLineEdit* shown : {Editbh, Editpm, Editrksl, Editxcsl}) shown->setReadOnly(true);
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("药品返库"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("确认返库"));

  QGridLayout* boxes = FieldGrid(this, {{{"药品批号：", Editph},
                                         {"药品识别码：     ", Editpysx},
                                         {"药品编号：", Editbh},
                                         {"品名：    ", Editpm}},
                                        {{"入库数量：", Editrksl},
                                         {"反库数量：       ", Editfksl},
                                         {"目前库存：    ", Editxcsl},
                                         {"返库原因：   ", Editfkyy}},
                                        {{"", BitBtn1}, {"", BitBtn2}}});
  auto* page = new QVBoxLayout(this);
  page->addWidget(new QLabel(QStringLiteral("药品返库信息"), this));
  page->addWidget(new QLabel(QStringLiteral("药品反库信息：                 "), this));
  page->addWidget(DBGrid1, 1);
  page->addWidget(new QLabel(QStringLiteral("药品信息：         "), this));
  page->addWidget(DBGrid2, 1);
  page->addLayout(boxes);
}

void TFormypfk::wireHandlers() {
  FilterKeys(Editph, kBatchNumberKeys);
  OnEnter(Editph, [this] { EditphEnter(); });
  OnFocusExit(Editph, this, [this](QWidget*) { EditphExit(); });
  connect(Editpysx, &QLineEdit::textChanged, this, &TFormypfk::EditpysxChange);
  OnEnter(Editpysx, [this] { EditpysxEnter(); });
  connect(DBGrid2, &DataGrid::CellClick, this, &TFormypfk::DBGrid2CellClick);
  connect(DBGrid2, &DataGrid::KeyUp, this, &TFormypfk::DBGrid2KeyUp);
  OnEnter(DBGrid2, [this] { DBGrid2Enter(); });
  AmountKeyFilter(Editfksl);
  OnKeyUp(Editfksl, [this](int) { EditfkslKeyUp(); });
  ChainEnter({Editfksl, Editfkyy, BitBtn1});
  connect(BitBtn1, &QPushButton::clicked, this, &TFormypfk::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormypfk::BitBtn2Click);
}

void TFormypfk::EditphEnter() {
  Editpysx->setReadOnly(false);
  Editpysx->setFocus();
}

void TFormypfk::EditphExit() { Editpysx->setReadOnly(false); }

void TFormypfk::EditpysxChange() {
  Editfksl->setText(QStringLiteral("0"));
  try {
    QSqlQuery query =
        SelectReceipts(connection_.db(), ReceiptList::ByPinyin, Editpysx->text(), Editph->text(), kSaleTitle);
    OpenReceipts(DBGrid2, query, kPinyinWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfk::EditpysxEnter() {
  DBGrid2->setFocus();
  Editbh->setText(DBGrid2->Cell(kReceiptCode));
  Editrksl->setText(DBGrid2->Cell(kReceiptQuantity).trimmed());
  Editpm->setText(DBGrid2->Cell(kReceiptName).trimmed());
}

void TFormypfk::DBGrid2CellClick() { pickReceipt(); }

void TFormypfk::DBGrid2KeyUp() { pickReceipt(); }

void TFormypfk::DBGrid2Enter() {
  if (DBGrid2->Cell(kReceiptCode).trimmed().isEmpty()) return;
  Editbh->setText(DBGrid2->Cell(kReceiptCode));
  Editfksl->setFocus();
}

void TFormypfk::EditfkslKeyUp() {
  if (Editfksl->text().isEmpty()) return;
  for (QLineEdit* limit : {Editrksl, Editxcsl}) {
    const std::optional<double> typed = ParseFloat(Editfksl->text());
    const std::optional<double> most = ParseFloat(limit->text());
    if (typed && most && *typed >= *most) Editfksl->setText(limit->text());
  }
}

void TFormypfk::BitBtn1Click() {
  const QSqlDatabase db = connection_.db();
  try {
    const QString code = DBGrid2->Cell(kReceiptCode);
    if (DBGrid2->CurrentRow() < 0 || !BatchExists(db, code, DBGrid2->Cell(kReceiptBatch))) {
      ShowMessage(kNotOurBatch);
    } else if (!ParsePositiveAmount(Editfksl->text())) {
      ShowMessage(kNoQuantity);
    } else if (AskYesNo(kQuestion, kQuestionTitle)) {
      const CorrectionRequest request{Correction::SupplierReturn,
                                      DBGrid2->CellValue(kReceiptRowId).toLongLong(),
                                      Editfksl->text(),
                                      Editfkyy->text(),
                                      CurrentAccount(),
                                      Clock::today()};
      switch (StageCorrection(db, request)) {
        case StagingOutcome::Staged: break;
        case StagingOutcome::BadQuantity: ShowMessage(kNoQuantity); break;
        case StagingOutcome::ShortStock: ShowMessage(kShortStock); break;
        case StagingOutcome::Failed: ShowMessage(PostingFailedText(connection_.db())); break;
      }
      // Staged or refused, the quantity box starts again from nothing.
      Editfksl->setText(QStringLiteral("0"));
      loadStaged(true);
    }
    Editpysx->setFocus();
    loadReceiptsWithBatch();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfk::BitBtn2Click() {
  if (StagingConfirm(connection_.db(), Correction::SupplierReturn, CurrentAccount()) < 0)
    ShowMessage(PostingFailedText(connection_.db()));
  try {
    loadStaged(true);
    loadReceiptsWithBatch();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// The receipt row picked: its code, its quantity as listed, its name, and
// the present quantity of the batch typed.
void TFormypfk::pickReceipt() {
  if (DBGrid2->CurrentRow() < 0) return;
  const QString code = DBGrid2->Cell(kReceiptCode).trimmed();
  Editbh->setText(code);
  Editrksl->setText(DBGrid2->Cell(kReceiptQuantity).trimmed());
  Editpm->setText(DBGrid2->Cell(kReceiptName).trimmed());
  try {
    Editxcsl->setText(BatchQuantityText(connection_.db(), code, Editph->text()));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormypfk::loadReceiptsWithBatch() {
  QSqlQuery query =
      SelectReceipts(connection_.db(), ReceiptList::WithBatch, Editpysx->text(), Editph->text(), kSaleTitle);
  OpenReceipts(DBGrid2, query, kReceiptWidths);
}

void TFormypfk::loadStaged(bool everyAccount) {
  QSqlQuery query = everyAccount ? Exec(connection_.db(), kSelectStaged)
                                 : Exec(connection_.db(), kSelectStaged + kOfAccount, {CurrentAccount()});
  DBGrid1->Open(query);
  DBGrid1->SetColumnWidths(kStagedWidths);
}
