#include "frontdesk/yxqyj.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/printcanvas.h"
#include "stock/controls.h"

namespace {
const QString kSelectForGrid = QStringLiteral(
    "select gqb.编号, ypxi.品名, gqb.药品批号, gqb.数量, ypxi.单位, ypxi.规格, ypxi.厂商, gqb.过期时间 "
    "from 药品信息 as ypxi, 药品过期表 as gqb where (ypxi.编号 = gqb.编号) and gqb.过期时间 < ?");
// In the order of the printed columns.
const QString kSelectForPrint = QStringLiteral(
    "select ypxi.品名, ypxi.规格, gqb.数量, ypxi.单位, gqb.药品批号, ypxi.厂商, gqb.过期时间 "
    "from 药品信息 as ypxi, 药品过期表 as gqb where (ypxi.编号 = gqb.编号) and gqb.过期时间 < ?");
const QString kNotYetExpired = QStringLiteral(" and gqb.过期时间 >= ?");
const int kWarningDays = 90;
const QList<int> kWidths = {60, 120, 60, 60, 60, 60, 60, 60};

QSqlQuery SelectList(const QSqlDatabase& db, const QString& head, ExpiryList list, const QDate& today) {
  if (list == ExpiryList::Expired) return Exec(db, head, {DayText(today)});
  return Exec(db, head + kNotYetExpired, {DayText(today.addDays(kWarningDays)), DayText(today)});
}

PrintTable ExpiryTable() {
  PrintTable table;
  const Inches head = 3;
  const Inches cell = 0.4_in;
  table.columns = {
      {QStringLiteral("品      名"), 1, {}, cell},
      {QStringLiteral("规格"), head, {}, cell + 2.54_in},
      {QStringLiteral("数量"), head + 0.59_in, {}, cell + 2.54_in + 0.6_in},
      {QStringLiteral("单位"), head + 2 * 0.59_in, {}, cell + 2.54_in + 0.6_in + 0.62_in},
      {QStringLiteral("药品批号"), head + 3 * 0.59_in, {}, cell + 2.54_in + 0.6_in + 0.62_in + 0.56_in},
      {QStringLiteral("厂商"), head + 3 * 0.59_in + 0.8_in, {}, cell + 2.54_in + 0.6_in + 0.62_in + 0.56_in + 0.8_in},
      {QStringLiteral("过期时间"), head + 3 * 0.59_in + 0.8_in + 1.5_in, {},
       cell + 2.54_in + 0.6_in + 0.62_in + 0.56_in + 0.8_in + 1.6_in},
  };
  const Inches first = 1_in / 3 + 2.57_in;
  table.separators = {first,
                      first + 0.59_in,
                      first + 2 * 0.59_in,
                      first + 3 * 0.59_in,
                      first + 3 * 0.59_in + 0.8_in,
                      first + 3 * 0.59_in + 0.8_in + 1.5_in};
  table.right = 7.8_in;
  table.headHeight = 1_in / 4;
  table.rowHeight = 1_in / 6;
  table.rowTextDrop = 1_in / 30;
  table.headFontSize = 12;
  table.rowFontSize = 8;
  return table;
}

DataGrid* ListGrid(QWidget* parent, const QString& name, const QColor& text) {
  auto* grid = new DataGrid(parent);
  grid->setObjectName(name);
  grid->setToolTip(QStringLiteral("请选择"));
  QPalette palette = grid->palette();
  palette.setColor(QPalette::Text, text);
  grid->setPalette(palette);
  return grid;
}

QLabel* Heading(QWidget* parent, const QString& name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  label->setStyleSheet(QStringLiteral("color: red"));
  return label;
}
}  // namespace

void DrawExpiryList(PrinterCanvasReport& doc, const QSqlDatabase& db, ExpiryList list, const QDate& today) {
  const bool warning = list == ExpiryList::Warning;
  doc.SetFontSize(18);
  doc.Title(warning ? QStringLiteral("Fenmarrow药品预警表") : QStringLiteral("Fenmarrow药品过期警报表"), 2.5_in,
            1_in / 3, 1.5_in, 7, 1_in / 3 + 1_in / 3);
  doc.SetFontSize(12);
  doc.Text(3, 1_in / 3 + 1_in / 2, warning ? QStringLiteral("预警时间:") : QStringLiteral("警报时间:"));
  doc.Text(4, 1_in / 3 + 1_in / 2, DayText(today));
  const PrintTable table = ExpiryTable();
  doc.HeadRow(table, 1_in / 3 + 1_in / 2 + 1_in / 5);
  QSqlQuery rows = SelectList(db, kSelectForPrint, list, today);
  QList<QStringList> texts;
  while (NextRow(rows)) {
    QStringList cells;
    for (int i = 0; i < table.columns.size(); ++i) cells << CellText(rows.value(i)).trimmed();
    texts << cells;
  }
  doc.Rows(table, texts);
}

TFormyxqyj::TFormyxqyj(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("药品过期预警"));
  Label8 = Heading(this, QStringLiteral("Label8"), QStringLiteral("药品过期预警"));
  DBGrid1 = ListGrid(this, QStringLiteral("DBGrid1"), QColor(0, 0, 128));
  BitBtn1 = NewButton(this, QStringLiteral("BitBtn1"), QStringLiteral("药品过期预警报表"));
  Label1 = Heading(this, QStringLiteral("Label1"), QStringLiteral("药品过期报警"));
  DBGrid2 = ListGrid(this, QStringLiteral("DBGrid2"), Qt::red);
  BitBtn2 = NewButton(this, QStringLiteral("BitBtn2"), QStringLiteral("过期药品报表"));
  auto* page = new QVBoxLayout(this);
  page->addWidget(Label8);
  page->addWidget(DBGrid1, 1);
  page->addWidget(BitBtn1, 0, Qt::AlignRight);
  page->addWidget(Label1);
  page->addWidget(DBGrid2, 1);
  page->addWidget(BitBtn2, 0, Qt::AlignRight);
  connect(BitBtn1, &QPushButton::clicked, this, &TFormyxqyj::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TFormyxqyj::BitBtn2Click);
  try {
    connection_ = OpenClinicDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
    return;
  }
  FormCreate();
}

void TFormyxqyj::FormCreate() {
  try {
    const QDate today = Clock::today();
    QSqlQuery warning = SelectList(connection_.db(), kSelectForGrid, ExpiryList::Warning, today);
    DBGrid1->Open(warning);
    DBGrid1->SetColumnWidths(kWidths);
    QSqlQuery expired = SelectList(connection_.db(), kSelectForGrid, ExpiryList::Expired, today);
    DBGrid2->Open(expired);
    DBGrid2->SetColumnWidths(kWidths);
  } catch (const DbError& e) {
    ShowError(e.text());
  }
}

void TFormyxqyj::BitBtn1Click() { print(ExpiryList::Warning); }

void TFormyxqyj::BitBtn2Click() { print(ExpiryList::Expired); }

void TFormyxqyj::print(ExpiryList list) {
  const QSqlDatabase db = connection_.db();
  const QDate today = Clock::today();
  const PrintResult result = PrintReport(windowTitle(), [&](PrinterCanvasReport& doc) {
    DrawExpiryList(doc, db, list, today);
  });
  if (!result) ShowError(result.error);
}
