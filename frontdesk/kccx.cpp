#include "frontdesk/kccx.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"

namespace {
const QString kSelectLowStock = QStringLiteral(
    "select kc.编号, ypxx.品名, ypxx.下限, kc.数量, ypxx.单位, ypxx.类别, ypxx.规格, ypxx.厂商 "
    "from 药品信息 as ypxx, 库存 as kc where kc.数量 < ypxx.下限 and kc.编号 = ypxx.编号");
const QString kSumIssued =
    QStringLiteral("select sum(ckxx.数量) as 数量 from 出库信息 as ckxx where ckxx.时间 between ? and ? and ckxx.编号 = ?");
const QList<int> kWidths = {50, 160, 60, 60, 60, 60, 100, 160};
// The box speaks of two months; the count has always covered 120 days.
const int kIssueDays = 120;
}  // namespace

TFormkccx::TFormkccx(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("低库存报警"));
  auto* title = new QLabel(QStringLiteral("低  库  存  报  警   "), this);
  QFont big = title->font();
  big.setPointSize(18);
  title->setFont(big);
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  Edit3 = new QLineEdit(this);
  Edit3->setObjectName(QStringLiteral("Edit3"));
  Edit3->setReadOnly(true);
  auto* issued = new QHBoxLayout;
  issued->addWidget(new QLabel(QStringLiteral("最近两个月药品出库量："), this));
  issued->addWidget(Edit3);
  issued->addStretch(1);
  auto* page = new QVBoxLayout(this);
  page->addWidget(title, 0, Qt::AlignHCenter);
  page->addWidget(DBGrid1, 1);
  page->addLayout(issued);
  connect(DBGrid1, &DataGrid::CellClick, this, &TFormkccx::DBGrid1CellClick);
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  FormCreate();
}

void TFormkccx::FormCreate() {
  try {
    QSqlQuery query = Exec(connection_.db(), kSelectLowStock);
    DBGrid1->Open(query);
    DBGrid1->SetColumnWidths(kWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

// The sum is shown as the store returns it, unformatted.
void TFormkccx::DBGrid1CellClick() {
  try {
    const QDate today = Clock::today();
    const QList<QVariantList> rows = ReadAll(connection_.db(), kSumIssued,
                                             {DayText(today.addDays(-kIssueDays)), DayText(today),
                                              DBGrid1->Cell(0).trimmed()});
    const QString sum = rows.isEmpty() ? QString() : CellText(rows[0][0]).trimmed();
    Edit3->setText(sum.isEmpty() ? QStringLiteral("0") : sum);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}
