#include "reports/payslips.h"

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/numbers.h"
#include "reports/commission.h"

namespace {
const QString kMedicineTitle = QStringLiteral("药                  费");
const QString kPrescribedTitle = QStringLiteral("处        方         费");
const QString kPerformedTitle = QStringLiteral("服         务        费");
const QString kSignature = QStringLiteral("核对人签字：______________");

constexpr int kHeadFont = 8;
constexpr int kRowFont = 10;

QList<QStringList> Rows(const QSqlDatabase& db, const QString& sql, const QString& person, const QString& user) {
  QList<QStringList> rows;
  for (const QVariantList& row : ReadAll(db, sql, {person, user})) {
    QStringList cells;
    for (const QVariant& value : row) cells << CellText(value).trimmed();
    rows << cells;
  }
  return rows;
}

QList<QStringList> Columns(const QList<QStringList>& rows, const QList<int>& columns) {
  QList<QStringList> picked;
  for (const QStringList& row : rows) {
    QStringList cells;
    for (int c : columns) cells << row.value(c);
    picked << cells;
  }
  return picked;
}

PrintTable Table(const QList<PrintColumn>& columns, const QList<Inches>& separators, Inches left = 1_in / 3,
                 Inches right = 8) {
  PrintTable t;
  t.columns = columns;
  t.separators = separators;
  t.left = left;
  t.right = right;
  t.headFontSize = kHeadFont;
  t.rowFontSize = kRowFont;
  return t;
}

PrintTable PayMedicineTable(int dpi) {
  PrintTable t = Table({{"药品类别", 1, {}, 2_in / 5},
                        {"总金额(元)", 1 + 2_in, {}, 2.54_in + 2_in / 5},
                        {"提成比例(%)", 1 + 1_in + 2, {}, 1 + 2.54_in + 2_in / 5},
                        {"提成金额(元)", 1 + 2_in + 2, {}, 2 + 2.54_in + 2_in / 5}},
                       {1_in / 3 + 2.57_in, 1_in / 3 + 2.57_in + 1, 1_in / 3 + 2.57_in + 2});
  // Its head texts stand at 4/5 + 1 in, the head row's top at 4/5 + 9/10.
  t.headTextDrop = Units(dpi - Inches(9, 10).At(dpi));
  return t;
}

PrintTable PayServiceTable() {
  return Table({{"服务项目", 1, {}, 2_in / 5},
                {"服务数目", 1 + 2_in, {}, 2.54_in + 2_in / 5},
                {"总金额(元)", 1 + 1_in + 2, {}, 1 + 2.54_in + 2_in / 5},
                {"提成比例(%)", 1 + 2_in + 2, {}, 2 + 2.54_in + 2_in / 5},
                {"提成金额(元)", 1 + 3_in + 2, {}, 3 + 2.54_in + 2_in / 5}},
               {1_in / 3 + 2.57_in, 1_in / 3 + 2.57_in + 1, 1_in / 3 + 2.57_in + 2, 1_in / 3 + 2.57_in + 3});
}

// A table's head at top and its rows; returns L, the text line of the last
// row drawn (the head's text line when there is none).
Inches DrawTable(PrinterCanvasReport& doc, const PrintTable& table, const Inches& top,
                 const QList<QStringList>& rows) {
  doc.HeadRow(table, top);
  if (rows.isEmpty()) return Units(doc.LastRowTop()) + table.headTextDrop;
  doc.Rows(table, rows);
  return Units(doc.LastRowTop()) + table.rowTextDrop;
}

// The closing rules of the last table, drawn once more.
void CloseTable(PrinterCanvasReport& doc, const PrintTable& table) {
  const Inches top = Units(doc.LastRowTop());
  const Inches bottom = Units(doc.LastRowBottom());
  doc.Line(table.right, top, table.right, bottom);
  doc.Line(table.left, bottom, table.right, bottom);
}

struct Half {
  PrintTable table;
  QList<QStringList> rows;
  Inches headTop;
};

// Tables side by side, each running down its own part of the page and
// going on in the same part of the next page, head row first, until every
// one has its rows. The last table's closing rules follow its last row.
void SideBySide(PrinterCanvasReport& doc, QList<Half> halves) {
  QList<qsizetype> next(halves.size(), 0);
  for (bool firstPage = true;; firstPage = false) {
    bool more = false;
    for (qsizetype i = 0; i < halves.size(); ++i) {
      const Half& half = halves.at(i);
      const qsizetype left = half.rows.size() - next.at(i);
      if (!firstPage && left == 0) continue;
      doc.HeadRow(half.table, half.headTop);
      // At least one row a page, so that a page too short for any still
      // ends.
      const qsizetype n = std::min<qsizetype>(left, std::max(1, doc.RowsThatFit(half.table)));
      doc.Rows(half.table, half.rows.mid(next.at(i), n));
      next[i] += n;
      if (next.at(i) < half.rows.size())
        more = true;
      else if (i == halves.size() - 1)
        CloseTable(doc, half.table);
    }
    if (!more) return;
    doc.NewPage();
    for (Half& half : halves) half.headTop = Units(doc.LastRowTop());
  }
}

void Header(PrinterCanvasReport& doc, const SlipContent& c, const QString& title, const QStringList& amounts) {
  doc.SetFontSize(18);
  doc.Text(2, 1_in / 2, title);
  doc.SetFontSize(12);
  doc.Text(5_in / 3, 1, QStringLiteral("姓名: ") + c.person);
  doc.Text(5_in / 3 + 3_in / 2, 1, QStringLiteral("统计时间: ") + c.d1 + QStringLiteral("----") + c.d2);
  Inches x = 1_in / 2;
  for (const QString& amount : amounts) {
    doc.Text(x, 5_in / 4, amount);
    x += 2;
  }
  const Inches rule = 4_in / 5 + 1_in / 15;
  doc.Line(3_in / 2, rule, 7, rule);
  doc.Line(3_in / 2, rule + 1_in / 50, 7, rule + 1_in / 50);
}

// How far a section moves down: nothing, or to the top of the next page
// when its head row and a first row would not fit below its title here.
Inches SectionShift(PrinterCanvasReport& doc, const PrintTable& table, const Inches& titleY, const Inches& headTop) {
  const int drop = doc.At(headTop) - doc.At(titleY);
  return Units(doc.KeepOnPage(titleY, drop + doc.At(table.headHeight) + doc.At(table.rowHeight)) - doc.At(titleY));
}

Inches MedicineSection(PrinterCanvasReport& doc, const PrintTable& table, const QList<QStringList>& rows) {
  doc.SetFontSize(12);
  doc.Text(3, 4_in / 5 + 7_in / 10, kMedicineTitle);
  return DrawTable(doc, table, 4_in / 5 + 9_in / 10, rows);
}
}  // namespace

void ReadSlipRows(const QSqlDatabase& db, const QString& person, const QString& user, SlipContent& content) {
  content.medicine = Rows(db, kSelectMedicineResult, person, user);
  content.prescribed = Rows(db, kSelectPrescribedResult, person, user);
  content.performed = Rows(db, kSelectPerformedResult, person, user);
}

void DrawPaySlip(PrinterCanvasReport& doc, const SlipContent& c) {
  Header(doc, c, kPaySlipTitle,
         {QStringLiteral("药品提成:") + c.medicineCommission + QStringLiteral("元"),
          QStringLiteral("处方提成:") + c.prescribedCommission + QStringLiteral("元"),
          QStringLiteral("服务提成:") + c.performedCommission + QStringLiteral("元"),
          QStringLiteral("合计:") + c.commissionTotal + QStringLiteral("元")});
  Inches line = MedicineSection(doc, PayMedicineTable(doc.Dpi()), c.medicine);

  const PrintTable services = PayServiceTable();
  for (const auto& [title, rows] : {std::pair{kPrescribedTitle, &c.prescribed}, std::pair{kPerformedTitle, &c.performed}}) {
    const Inches shift = SectionShift(doc, services, line + 2_in / 3, line + 1);
    doc.SetFontSize(12);
    doc.Text(3, line + 2_in / 3 + shift, title);
    line = DrawTable(doc, services, line + 1 + shift, *rows);
  }
  CloseTable(doc, services);

  // The slip's own footer: the user's name and the time, no page number;
  // the whole line on a page of its own when the last row left no room.
  doc.SetFontSize(8);
  const Inches footer = Units(doc.KeepOnPage(Units(doc.LastRowTop()) + 1_in / 3, doc.TextHeight(8)));
  doc.Text(1, footer, QStringLiteral("打印制表人姓名"));
  doc.Text(2, footer, c.user);
  doc.Text(3, footer, QStringLiteral("打印制表时间"));
  doc.Text(3 + 4_in / 5, footer, Clock::now().toString(kPrintedTimeFormat));
  doc.Text(3 + 3_in / 2 + 4_in / 5, footer, kSignature);
}

void DrawSalesSlip(PrinterCanvasReport& doc, const SlipContent& c) {
  const double sold = ParseFloat(c.medicineAmount).value_or(0) + ParseFloat(c.prescribedAmount).value_or(0);
  Header(doc, c, kSalesSlipTitle,
         {QStringLiteral("药品:") + c.medicineAmount + QStringLiteral("元"),
          QStringLiteral("处方:") + c.prescribedAmount + QStringLiteral("元"),
          QStringLiteral("服务:") + c.performedAmount + QStringLiteral("元"),
          QStringLiteral("合计:") + FloatText(sold) + QStringLiteral("元")});

  PrintTable medicine = Table({{"药品类别", 1, {}, 2_in / 5}, {"总金额(元)", 1 + 2_in, {}, 2.54_in + 2_in / 5}},
                              {1_in / 3 + 2.57_in});
  medicine.headTextDrop = PayMedicineTable(doc.Dpi()).headTextDrop;
  const Inches line = MedicineSection(doc, medicine, Columns(c.medicine, {0, 1}));

  // Prescribed services on the left half, performed ones beside them.
  const Inches titleLine = line + 2_in / 3;
  const Inches shift = SectionShift(doc, PayServiceTable(), titleLine, line + 1);
  doc.SetFontSize(12);
  doc.Text(1, titleLine + shift, kPrescribedTitle);
  doc.Text(5, titleLine + shift, kPerformedTitle);
  const PrintTable left = Table({{"服务项目", 1, {}, 2_in / 5},
                                 {"服务数目", 1 + 13_in / 10, {}, 2_in / 5 + 9_in / 5},
                                 {"总金额(元)", 1 + 1_in + 13_in / 10, {}, 1 + 2_in / 5 + 9_in / 5}},
                                {1_in / 3 + 9_in / 5, 1_in / 3 + 9_in / 5 + 1}, 1_in / 3, 4);
  const PrintTable right = Table({{"服务项目", 9_in / 2, {}, 9_in / 2},
                                  {"服务数目", 3_in / 2 + 9_in / 2, {}, 3_in / 2 + 9_in / 2},
                                  {"总金额(元)", 1 + 3_in / 2 + 9_in / 2, {}, 1 + 3_in / 2 + 9_in / 2}},
                                 {22_in / 5 + 3_in / 2, 22_in / 5 + 3_in / 2 + 1}, 22_in / 5, 8);
  SideBySide(doc, {{left, Columns(c.prescribed, {0, 1, 2}), line + 1 + shift},
                   {right, Columns(c.performed, {0, 1, 2}), titleLine + 1_in / 3 + shift}});
}
