#include "reports/cashincome.h"

#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "platform/clock.h"

const QString kSheetMedicineOfCategory = QStringLiteral(
    R"~(select sum(ckxx.数量 * ckxx."单价(元)") as 总价 from 药品信息 as ypxx indexed by "药品信息_类别编号" )~"
    R"~(cross join 出库信息 as ckxx indexed by "出库信息_编号收费时间" )~"
    "where ckxx.时间 between ? and ? and ckxx.收费类别 = ? and ckxx.编号 = ypxx.编号 and ypxx.类别 = ?");
const QString kSheetServiceItems = QStringLiteral("select 服务项目 from 服务项目 order by 行号");
const QString kSheetServiceOfItem = QStringLiteral(
    R"~(select sum("服务费(元)") as 收入金额 from 服务信息 indexed by "服务信息_类别收费时间" )~"
    "where 时间 between ? and ? and 收费类别 = ? and 服务类别 = ?");

namespace {
const QString kNumerals = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
const QString kPlaces = QStringLiteral("万仟佰拾亿仟佰拾万仟佰拾元");
const QChar kZero = kNumerals.at(0);
const int kMaxIntegerDigits = 13;

const QString kPrintTime = QStringLiteral("yyyy-MM-dd hh:mm:ss");
const int kTitleSize = 24;
const int kBodySize = 10;
const int kSignatureSize = 12;
const int kTableRows = 13;
const int kItemRows = 12;  // rows 1 to 12 of each pair under the heads
const int kPairs = 3;
const int kMedicineRows = 3;

Inches TableTop() { return 1_in / 3 + 1_in / 4 + 2_in / 5; }
Inches RowY(int k) { return 1 + k * (1_in / 4); }
// The item column of each pair; its amount stands 1 in to the right.
Inches ItemX(int pair) {
  static const int tenths[] = {11, 31, 51};
  return Inches(tenths[pair], 10);
}

QString Capitals(const QString& integer, const QString& fraction) {
  QString text;
  const int n = integer.size();
  for (int i = 1; i <= n; ++i) {
    QString numeral = kNumerals.at(integer.at(i - 1).digitValue());
    QString place = kPlaces.at(kPlaces.size() - n + i - 1);
    const bool zero = numeral.at(0) == kZero;
    if (zero && text.endsWith(kZero)) text.chop(1);
    if (zero && (place == QStringLiteral("亿") || place == QStringLiteral("万") || place == QStringLiteral("元"))) {
      numeral = place;
      place = place == QStringLiteral("元") ? QString() : QString(kZero);
    } else if (zero) {
      place.clear();
    }
    text += numeral + place;
  }
  const int hundredMillion = text.indexOf(QStringLiteral("亿万"));
  if (hundredMillion >= 0) text.remove(hundredMillion + 1, 1);
  const int jiao = fraction.at(0).digitValue();
  const int fen = fraction.at(1).digitValue();
  if (jiao != 0) text += kNumerals.at(jiao) + QStringLiteral("角");
  if (fen != 0) {
    if (jiao == 0) text += kZero;
    text += kNumerals.at(fen) + QStringLiteral("分");
  }
  return text + QStringLiteral("整");
}

// A sum as the sheet prints it: nothing when nothing was sold.
QString SheetAmount(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  const QString text = ScalarText(db, sql, values);
  return text.isEmpty() ? QString() : TwoDecimals(FloatValue(text));
}

void DrawGrid(PrinterCanvasReport& doc) {
  const Inches top = TableTop();
  for (int r = 0; r < kTableRows; ++r) {
    const bool fullWidth = r == 0 || r == 5 || r == 9;
    doc.Line(1, top + r * (1_in / 4), fullWidth ? 39_in / 5 : Inches(7), top + r * (1_in / 4));
    for (const Inches& x : {Inches(1), Inches(2), Inches(3), Inches(4), Inches(5), Inches(6), Inches(7), 39_in / 5})
      doc.Line(x, top, x, top + (r + 1) * (1_in / 4));
  }
  doc.Line(1, top + kTableRows * (1_in / 4), 39_in / 5, top + kTableRows * (1_in / 4));
}

void DrawHeads(PrinterCanvasReport& doc) {
  for (int pair = 0; pair < kPairs; ++pair) {
    doc.Text(6_in / 5 + 2 * pair, 1, QStringLiteral("收入项目"));
    doc.Text(6_in / 5 + 2 * pair + 1, 1, QStringLiteral("金额(元)"));
  }
}
}  // namespace

QString AmountInCapitals(const QString& amountText) {
  const QString written = FixedText(FloatValue(amountText), 2);
  if (written.startsWith(QLatin1Char('-'))) return QStringLiteral("负") + AmountInCapitals(written.mid(1));
  const int point = written.indexOf(QLatin1Char('.'));
  const QString integer = written.left(point);
  if (integer.size() > kMaxIntegerDigits) throw AmountOutOfRange();
  return Capitals(integer, written.mid(point + 1, 2));
}

QString CashIncomeTitle(IncomeKind kind) {
  return kind == IncomeKind::Outpatient ? QStringLiteral("Fenmarrow门诊现金收入汇总表")
                                        : QStringLiteral("Fenmarrow住院现金收入汇总表");
}

DrawDocument CashIncomeSummaryPrint(const QSqlDatabase& db, const CashIncomeSheet& sheet) {
  const QString capitals = AmountInCapitals(sheet.total);
  return [db, sheet, capitals](PrinterCanvasReport& doc) {
    const QString d1 = DayText(sheet.first);
    const QString d2 = DayText(sheet.last);
    const QString category = sheet.kind == IncomeKind::Outpatient ? QStringLiteral("门诊") : QStringLiteral("住院");
    const Inches top = TableTop();

    doc.SetFontSize(kTitleSize);
    doc.Title(CashIncomeTitle(sheet.kind), 8_in / 5, 1_in / 3, 4_in / 3, 15_in / 2, 1_in / 3 + 1_in / 3);
    DrawGrid(doc);

    doc.SetFontSize(kBodySize);
    if (sheet.origin == SheetOrigin::DayClose) {
      doc.Text(8_in / 5, 4_in / 5, QStringLiteral("汇总时间:"));
      doc.Text(8_in / 5 + 4_in / 3, 4_in / 5, d1);
    } else {
      doc.Text(8_in / 5, 4_in / 5, QStringLiteral("统计时间: ") + d1 + QStringLiteral("---------------") + d2);
    }
    doc.Text(1, top + kTableRows * (1_in / 4) + 1_in / 20,
             QStringLiteral("合计金额：") + capitals + QStringLiteral("    ￥：") + sheet.total + QStringLiteral("元") +
                 QStringLiteral("      打印帐号:") + sheet.operatorText + QStringLiteral("   打印时间:") +
                 Clock::now().toString(kPrintTime));

    doc.SetFontSize(kSignatureSize);
    const QString signature = sheet.origin == SheetOrigin::DayClose && sheet.kind == IncomeKind::Inpatient
                                  ? QStringLiteral("_________")
                                  : QStringLiteral("_______");
    doc.Text(709_in / 100, 13_in / 10, QStringLiteral("收款药局"));
    doc.Text(143_in / 20, 9_in / 5, QStringLiteral("对  帐"));
    doc.Text(709_in / 100, 5_in / 2, QStringLiteral("收款签字"));
    doc.Text(71_in / 10, 14_in / 5, signature);
    doc.Text(709_in / 100, 7_in / 2, QStringLiteral("药局签字"));
    doc.Text(71_in / 10, 19_in / 5, signature);
    DrawHeads(doc);

    // The medicine rows: 饮片 stands a little to the right of the two above.
    const QString medicines[kMedicineRows] = {QStringLiteral("西药"), QStringLiteral("中成药"), QStringLiteral("饮片")};
    for (int k = 1; k <= kMedicineRows; ++k) {
      const Inches x = k == kMedicineRows ? 6_in / 5 : ItemX(0);
      doc.Text(x, RowY(k), medicines[k - 1]);
      doc.Text(x + 1, RowY(k), SheetAmount(db, kSheetMedicineOfCategory, {d1, d2, category, medicines[k - 1]}));
    }

    // The service items fill the rest of the first pair, then the other
    // two; a further page repeats the grid and heads for the ones left.
    int pair = 0;
    int row = kMedicineRows;
    for (const QVariantList& item : ReadAll(db, kSheetServiceItems)) {
      if (++row > kItemRows) {
        row = 1;
        if (++pair == kPairs) {
          pair = 0;
          doc.NewPage();
          doc.SetFontSize(kSignatureSize);
          DrawGrid(doc);
          DrawHeads(doc);
        }
      }
      const QString name = item.value(0).toString().trimmed();
      doc.Text(ItemX(pair), RowY(row), name);
      doc.Text(ItemX(pair) + 1, RowY(row), SheetAmount(db, kSheetServiceOfItem, {d1, d2, category, name}));
    }
  };
}
