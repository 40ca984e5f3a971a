#include "reports/hcbb.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/combolist.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "reports/reportcontrols.h"
#include "reports/summarydetailreport.h"
#include "reports/suppliesprint.h"
#include "stock/controls.h"
#include "stock/fieldgrid.h"

namespace {
const QString kSelectSuppliers = QStringLiteral("select 药品来源 from 药品来源");

const QString kSupplierPrompt = QStringLiteral("供货商");
const QString kEverySupplier = QStringLiteral("%");
const QString kPrintedQuestion = QStringLiteral("打印成功，请按，此单不能更改");
const QString kPrintedTitle = QStringLiteral("打印成功提示");

const QList<int> kReceiptWidthsAtOpening = {200, 60, 60, 60, 60, 100, 160};
const QList<int> kReceiptWidths = {200, 70, 60, 60, 60, 100, 160};
const QList<int> kIssueWidths = {200, 60, 60, 60, 60, 60, 90, 90, 90, 60, 160};

// A print button shows while its list has a current row with a name.
bool HasRows(const DataGrid* grid) { return !grid->Cell(0).trimmed().isEmpty(); }
}  // namespace

TFormhcbb::TFormhcbb(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("卫材报表"));
  buildLayout();
  wireHandlers();
  try {
    connection_ = OpenClinicDatabase();
    open();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhcbb::buildLayout() {
  Edit1 = NewEdit(this, QStringLiteral("Edit1"));
  ComboBox1 = NewPickCombo(this, QStringLiteral("ComboBox1"), kSupplierPrompt, [this] { ComboBox1->setEnabled(false); });
  DateTimePicker1 = NewDatePicker(this, QStringLiteral("DateTimePicker1"));
  DateTimePicker2 = NewDatePicker(this, QStringLiteral("DateTimePicker2"));
  Edithj = NewTotalBox(this, QStringLiteral("Edithj"), QStringLiteral("0.00"));
  DBGrid1 = ReportGrid(this, QStringLiteral("DBGrid1"));
  BitBtn3 = NewButton(this, QStringLiteral("BitBtn3"), QStringLiteral("报表查询"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("打印报表"));
  BitBtn1->hide();
  Edit2 = NewEdit(this, QStringLiteral("Edit2"));
  ComboBox2 = NewPickCombo(this, QStringLiteral("ComboBox2"), kSupplierPrompt, [this] { ComboBox2->setEnabled(false); });
  DateTimePicker3 = NewDatePicker(this, QStringLiteral("DateTimePicker3"));
  DateTimePicker4 = NewDatePicker(this, QStringLiteral("DateTimePicker4"));
  Edit3 = NewTotalBox(this, QStringLiteral("Edit3"), QStringLiteral("0.00"));
  Edit4 = NewTotalBox(this, QStringLiteral("Edit4"), QStringLiteral("0.00"));
  Edit5 = NewTotalBox(this, QStringLiteral("Edit5"), QStringLiteral("0.00"));
  DBGrid2 = ReportGrid(this, QStringLiteral("DBGrid2"));
  BitBtn4 = NewButton(this, QStringLiteral("BitBtn4"), QStringLiteral("报表查询"));
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("打印报表"));
  BitBtn2->hide();

  QGridLayout* receiptBoxes = FieldGrid(this, {{{"入库帐号：   ", Edit1},
                                                {"", ComboBox1},
                                                {"查询开始时间           ", DateTimePicker1},
                                                {"查询结束时间                ", DateTimePicker2}},
                                               {{"合计：", Edithj, "元  "}, {"", BitBtn3}, {"", BitBtn1}}});
  QGridLayout* issueBoxes = FieldGrid(this, {{{"领取人：   ", Edit2},
                                              {"", ComboBox2},
                                              {"查询开始时间                ", DateTimePicker3},
                                              {"查询结束时间                ", DateTimePicker4}},
                                             {{"成本合计：", Edit3, "元  "},
                                              {"零售合计：", Edit4, "元  "},
                                              {"利润合计：", Edit5, "元  "},
                                              {"", BitBtn4},
                                              {"", BitBtn2}}});
  auto* page = new QVBoxLayout(this);
  page->addWidget(PlainLabel(this, QStringLiteral("Label7"), QStringLiteral("产品入库查询        ")));
  page->addLayout(receiptBoxes);
  page->addWidget(DBGrid1, 1);
  page->addWidget(PlainLabel(this, QStringLiteral("Label3"), QStringLiteral("产品出库查询        ")));
  page->addLayout(issueBoxes);
  page->addWidget(DBGrid2, 1);
}

void TFormhcbb::wireHandlers() {
  connect(BitBtn3, &QPushButton::clicked, this, &TFormhcbb::BitBtn3Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TFormhcbb::BitBtn4Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormhcbb::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormhcbb::BitBtn2Click);
  // Every change of the text is the user's: the window fills and resets
  // the boxes without a signal. A pick of the text already shown changes
  // nothing and still counts.
  for (QComboBox* box : {ComboBox1, ComboBox2}) {
    const auto change = box == ComboBox1 ? &TFormhcbb::ComboBox1Change : &TFormhcbb::ComboBox2Change;
    connect(box, &QComboBox::currentTextChanged, this, change);
    connect(box, &QComboBox::activated, this, [this, box, change] { (this->*change)(box->currentText()); });
  }
  OnFocusExit(ComboBox1, this, [this](QWidget*) { ComboBox1Exit(); });
  OnFocusExit(ComboBox2, this, [this](QWidget*) { ComboBox2Exit(); });
  OnClick(Edit1, [this] { Edit1Click(); });
  OnClick(Edit2, [this] { Edit2Click(); });
}

// At opening both person boxes are empty: the day's rows without a person,
// whatever their supplier.
void TFormhcbb::open() {
  const QSqlDatabase db = connection_.db();
  const SuppliesFilter received{DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date()),
                                Edit1->text().trimmed(), std::nullopt};
  ReloadGrid(db, DBGrid1, {received.Statement(db, kSelectSupplyReceipts, kReceiver), received.Values()},
             kReceiptWidthsAtOpening);
  Edithj->setText(MoneyText(db, received.Statement(db, kSumSupplyReceipts, kReceiver), received.Values()));
  const QString today = DayText(Clock::today());
  const SuppliesFilter issued{today, today, QString(), std::nullopt};
  ReloadGrid(db, DBGrid2, {issued.Statement(db, kSelectSupplyIssues, kRecipient), issued.Values()}, kIssueWidths);
  Edit3->setText(MoneyText(db, issued.Statement(db, kSumSupplyIssueCost, kRecipient), issued.Values()));
  appendSuppliers(ComboBox1);
  appendSuppliers(ComboBox2);
}

void TFormhcbb::appendSuppliers(QComboBox* box) {
  QStringList names;
  for (const QVariantList& row : ReadAll(connection_.db(), kSelectSuppliers)) names << row.at(0).toString().trimmed();
  AppendItems(box, names);
}

SuppliesFilter TFormhcbb::receipts() const {
  const QString account = Edit1->text().trimmed();
  return {DayText(DateTimePicker1->date()), DayText(DateTimePicker2->date()),
          account.isEmpty() ? std::nullopt : std::optional<QString>(account), receiptSupplier_};
}

SuppliesFilter TFormhcbb::issues() const {
  const QString recipient = Edit2->text().trimmed();
  return {DayText(DateTimePicker3->date()), DayText(DateTimePicker4->date()),
          recipient.isEmpty() ? std::nullopt : std::optional<QString>(recipient), issueSupplier_};
}

void TFormhcbb::BitBtn3Click() {
  try {
    const QSqlDatabase db = connection_.db();
    const SuppliesFilter filter = receipts();
    ReloadGrid(db, DBGrid1, {filter.Statement(db, kSelectSupplyReceipts, kReceiver), filter.Values()}, kReceiptWidths);
    Edithj->setText(MoneyText(db, filter.Statement(db, kSumSupplyReceipts, kReceiver), filter.Values()));
    BitBtn1->setVisible(HasRows(DBGrid1));
    ComboBox1->setEnabled(true);
    // The names are appended again, whatever the list holds.
    appendSuppliers(ComboBox1);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhcbb::BitBtn4Click() {
  try {
    const QSqlDatabase db = connection_.db();
    const SuppliesFilter filter = issues();
    ReloadGrid(db, DBGrid2, {filter.Statement(db, kSelectSupplyIssues, kRecipient), filter.Values()}, kIssueWidths);
    Edit3->setText(MoneyText(db, filter.Statement(db, kSumSupplyIssueCost, kRecipient), filter.Values()));
    Edit4->setText(MoneyText(db, filter.Statement(db, kSumSupplyIssueRetail, kRecipient), filter.Values()));
    Edit5->setText(MoneyText(db, filter.Statement(db, kSumSupplyIssueProfit, kRecipient), filter.Values()));
    BitBtn2->setVisible(HasRows(DBGrid2));
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// The slips print what the boxes say when the button is clicked.
void TFormhcbb::BitBtn1Click() {
  try {
    printed(PrintReceiptSlip(connection_.db(), receipts(), Edit1->text().trimmed()), BitBtn1);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhcbb::BitBtn2Click() {
  try {
    printed(PrintIssueVoucher(connection_.db(), issues(), Edit2->text().trimmed()), BitBtn2);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// Only a print that went through asks; a failed one keeps the button.
void TFormhcbb::printed(const PrintResult& result, QPushButton* button) {
  if (!result) {
    ShowError(result.error);
    return;
  }
  if (AskYesNo(kPrintedQuestion, kPrintedTitle)) button->hide();
}

void TFormhcbb::ComboBox1Change(const QString& text) { receiptSupplier_ = text.trimmed(); }
void TFormhcbb::ComboBox2Change(const QString& text) { issueSupplier_ = text.trimmed(); }

void TFormhcbb::leave(QComboBox* box, const QString& filter) {
  ResetCombo(box, filter);
  box->setEnabled(false);
}

void TFormhcbb::ComboBox1Exit() { leave(ComboBox1, receiptSupplier_); }
void TFormhcbb::ComboBox2Exit() { leave(ComboBox2, issueSupplier_); }

void TFormhcbb::unlock(QComboBox* box, QString& filter) {
  box->setEnabled(true);
  ResetCombo(box, kSupplierPrompt);
  filter = kEverySupplier;
  try {
    appendSuppliers(box);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormhcbb::Edit1Click() { unlock(ComboBox1, receiptSupplier_); }
void TFormhcbb::Edit2Click() { unlock(ComboBox2, issueSupplier_); }
