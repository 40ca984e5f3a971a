#include "frontdesk/fyt.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "frontdesk/dispensing.h"
#include "frontdesk/zgyy.h"
#include "platform/formevents.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/session.h"
#include "stock/controls.h"

namespace {
// All columns of the queue, in the table's order: the handlers read them
// by position.
const QString kSelectQueue =
    QStringLiteral("select 姓名, 流水号, 时间, 划价人帐号, 收银人帐号 from 出库患者信息");
const QString kSelectVisitGoods = QStringLiteral(
    "select ypxi.编号, ypxi.品名, cklsxi.数量, ypxi.单位, ypxi.规格, ypxi.厂商 "
    "from 药品信息 as ypxi, 临时出库信息 as cklsxi "
    "where cklsxi.编号 = ypxi.编号 and cklsxi.流水号 = ? and cklsxi.划价人帐号 = ? order by cklsxi.编号");
const QString kSelectGoodsName = QStringLiteral("select 品名 from 药品信息 where 编号 = ?");
// Batches emptied by dispensing, to within the rounding tolerance.
const QString kDeleteEmptyBatches = QStringLiteral("delete from 药品过期表 where abs(数量) <= ?");

enum QueueColumn { kName, kSerial, kDay, kAccount, kCashier };
const QList<int> kQueueWidths{120, 120, 120, 120, 120};
const QList<int> kLineWidths{50, 280, 60, 60, 60, 180};

const QString kDispenseQuestion = QStringLiteral("您确定这个患者药品出库吗？");
const QString kDispenseTitle = QStringLiteral("药品提示");
// Expired medicine is never handed out: the clerk writes it off and the
// goods are restocked before the visit is dispensed.
const QString kExpiredStockText = QStringLiteral(
    "对不起，药品“%1”（编号 %2）余下的库存已过期，不能付药。"
    "请在“药品报损信息”中将过期批号报损，补充库存后再付药；这位患者仍在候药。");

QLabel* Heading(QWidget* parent, const QString& text) {
  auto* heading = new QLabel(text, parent);
  QFont font = heading->font();
  font.setBold(true);
  font.setPointSize(font.pointSize() + 4);
  heading->setFont(font);
  heading->setAlignment(Qt::AlignCenter);
  return heading;
}
}  // namespace

TFormfyt::~TFormfyt() = default;

TFormfyt::TFormfyt(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("付药台"));
  DBGrid1 = new DataGrid(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("刷新"));
  DBGrid2 = new DataGrid(this);
  DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
  auto* page = new QVBoxLayout(this);
  page->addWidget(Heading(this, QStringLiteral("患 者 信 息")));
  page->addWidget(DBGrid1, 1);
  page->addWidget(BitBtn1, 0, Qt::AlignHCenter);
  page->addWidget(Heading(this, QStringLiteral("患 者 用 药 信 息")));
  page->addWidget(DBGrid2, 1);

  connect(DBGrid1, &DataGrid::CellClick, this, &TFormfyt::DBGrid1CellClick);
  connect(DBGrid1, &DataGrid::DblClick, this, &TFormfyt::DBGrid1DblClick);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormfyt::BitBtn1Click);

  // The queue is open as soon as the window is.
  ADOConnection1 = OpenClinicDatabase();
  openQueue();
}

void TFormfyt::DBGrid1CellClick() {
  if (DBGrid1->Cell(kName).trimmed().isEmpty()) return;
  try {
    const VisitKey key = VisitKey::FromText(DBGrid1->Cell(kSerial), DBGrid1->Cell(kAccount));
    QSqlQuery lines = Exec(ADOConnection1.db(), kSelectVisitGoods, key.Values());
    DBGrid2->SetColumnDecimals({});
    DBGrid2->Open(lines);
    DBGrid2->SetColumnWidths(kLineWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormfyt::DBGrid1DblClick() {
  if (DBGrid1->Cell(kName).trimmed().isEmpty()) return;
  if (!AskYesNo(kDispenseQuestion, kDispenseTitle)) return;
  try {
    const VisitKey key = VisitKey::FromText(DBGrid1->Cell(kSerial), DBGrid1->Cell(kAccount));
    QString goods;
    const DispensingResult result = DispenseVisit(ADOConnection1.db(), key, CurrentUserName(), nullptr, &goods);
    if (result == DispensingResult::ExpiredStock)
      ShowMessage(kExpiredStockText.arg(
          ScalarText(ADOConnection1.db(), kSelectGoodsName, {goods}).trimmed(), goods));
    else if (result != DispensingResult::Dispensed)
      ShowMessage(PostingFailedText(ADOConnection1.db()));
    // Either way the lines grid empties: the pricing window's line query
    // for serial 0, which matches no line.
    QSqlQuery none = Exec(ADOConnection1.db(), kSelectPricedLines, VisitKey{0, key.account}.Values());
    DBGrid2->SetColumnDecimals(kPricedLineDecimals);
    DBGrid2->Open(none);
    DBGrid2->SetColumnWidths(kLineWidths);
    openQueue();
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormfyt::BitBtn1Click() {
  try {
    openQueue();
    if (DBGrid1->RecordCount() > 0)
      DBGrid1->setCurrentIndex(DBGrid1->model()->index(DBGrid1->RecordCount() - 1, 0));
    Exec(ADOConnection1.db(), kDeleteEmptyBatches, {kQuantityTolerance});
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormfyt::mouseDoubleClickEvent(QMouseEvent* event) {
  QWidget::mouseDoubleClickEvent(event);
  if (OnOwnBackground(this, event->position())) ReturnToLogin();
}

void TFormfyt::openQueue() {
  QSqlQuery queue = Exec(ADOConnection1.db(), kSelectQueue);
  DBGrid1->Open(queue);
  DBGrid1->SetColumnWidths(kQueueWidths);
}
