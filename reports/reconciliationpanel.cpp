#include "reports/reconciliationpanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "db/sql.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "reports/reportcontrols.h"
#include "stock/fieldgrid.h"

namespace {
const QString kNoSum = QStringLiteral("0.00");
const QString kReconcileFirst = QStringLiteral("对不起，请先完成对账再打印报表");
const QString kReconcileFailed = QStringLiteral("对不起，对账没有完成，不能打印报表：%1");

struct BoxSpec {
  ReconciliationSum sum;
  const char* name;
  const char* label;
};
// In the order of ReconciliationSum.
const BoxSpec kBoxes[] = {
    {ReconciliationSum::Outpatient, "Editmz", "门诊收入：  "},
    {ReconciliationSum::Inpatient, "Editzy", "住院收入：  "},
    {ReconciliationSum::All, "Edit1", "现金总收入：    "},
    {ReconciliationSum::Staff, "Editzgyy", "职工用药  ：  "},
    {ReconciliationSum::OutpatientMedicine, "Edit2", "门诊药品收入：         "},
    {ReconciliationSum::InpatientMedicine, "Edit4", "住院药品收入：         "},
    {ReconciliationSum::OutpatientServices, "Edit3", "门诊服务收入：          "},
    {ReconciliationSum::InpatientServices, "Edit5", "住院服务收入：          "},
};

struct GridSpec {
  const char* name;
  QList<int> decimals;
};
// In the order of ReconciliationGrid.
const GridSpec kGrids[] = {
    {"DBGrid5", {kGeneral, kGeneral, kMoneyDecimals}}, {"DBGrid3", {kGeneral, kMoneyDecimals}},
    {"DBGrid2", {kGeneral, kMoneyDecimals}},           {"DBGrid1", {kGeneral, kGeneral, kMoneyDecimals}},
    {"DBGrid4", {kGeneral, kGeneral, kMoneyDecimals}},
};
}  // namespace

ReconciliationPanel::ReconciliationPanel(QWidget* parent, const ReconciliationWidths& widths)
    : QWidget(parent), widths_(widths) {
  for (const BoxSpec& box : kBoxes) {
    // The totals are the store's figures: nobody types over what the
    // sheet will print.
    boxes_ << NewTotalBox(this, QString::fromUtf8(box.name), kNoSum);
  }
  for (const GridSpec& grid : kGrids) grids_ << ReportGrid(this, QString::fromUtf8(grid.name), grid.decimals);

  QList<QList<Field>> rows;
  for (int i = 0; i < 8; i += 2)
    rows << QList<Field>{{kBoxes[i].label, boxes_[i], "元   "}, {kBoxes[i + 1].label, boxes_[i + 1], "元   "}};
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(FieldGrid(this, rows), 0, 0, 1, 3);
  layout->addWidget(grid(ReconciliationGrid::Cashiers), 1, 0, 2, 1);
  layout->addWidget(grid(ReconciliationGrid::OutpatientMedicine), 1, 1);
  layout->addWidget(grid(ReconciliationGrid::InpatientMedicine), 2, 1);
  layout->addWidget(grid(ReconciliationGrid::OutpatientServices), 1, 2);
  layout->addWidget(grid(ReconciliationGrid::InpatientServices), 2, 2);
}

QLineEdit* ReconciliationPanel::box(ReconciliationSum sum) const { return boxes_[static_cast<int>(sum)]; }

DataGrid* ReconciliationPanel::grid(ReconciliationGrid which) const { return grids_[static_cast<int>(which)]; }

QString ReconciliationPanel::SumText(ReconciliationSum sum) const { return box(sum)->text(); }

void ReconciliationPanel::ShowSum(ReconciliationSum sum, const QString& text) { box(sum)->setText(text); }

void ReconciliationPanel::ShowGrid(ReconciliationGrid which, QSqlQuery& rows) {
  DataGrid* view = grid(which);
  view->Open(rows);
  switch (which) {
    case ReconciliationGrid::Cashiers: view->SetColumnWidths(widths_.cashiers); break;
    case ReconciliationGrid::OutpatientMedicine:
    case ReconciliationGrid::InpatientMedicine: view->SetColumnWidths(widths_.medicine); break;
    case ReconciliationGrid::OutpatientServices:
    case ReconciliationGrid::InpatientServices: view->SetColumnWidths(widths_.services); break;
  }
}

bool ReconciliationPanel::Reconcile(const QSqlDatabase& db, const QDate& first, const QDate& last,
                                    CashierOrder order) {
  try {
    ReconciliationSums(db, first, last, order, *this);
  } catch (const DbError& e) {
    lastFailure_ = e.text();
    ShowError(e.text());
    return false;
  }
  lastFailure_.clear();
  reconciled_ = true;
  first_ = first;
  last_ = last;
  outpatient_ = SumText(ReconciliationSum::Outpatient).trimmed();
  inpatient_ = SumText(ReconciliationSum::Inpatient).trimmed();
  return true;
}

void ReconciliationPanel::PrintSheet(const QSqlDatabase& db, IncomeKind kind, SheetOrigin origin) const {
  // The day close's buttons stand once the day is closed, even when its
  // reconciliation then failed: the clerk learns why no sheet comes.
  if (!reconciled_) {
    ShowMessage(lastFailure_.isEmpty() ? kReconcileFirst : kReconcileFailed.arg(lastFailure_));
    return;
  }
  const CashIncomeSheet sheet{kind, origin, first_, last_, kind == IncomeKind::Outpatient ? outpatient_ : inpatient_,
                              CurrentAccount()};
  DrawDocument document;
  try {
    document = CashIncomeSummaryPrint(db, sheet);
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  if (const PrintResult printed = PrintReport(CashIncomeTitle(kind), document); !printed) ShowError(printed.error);
}
