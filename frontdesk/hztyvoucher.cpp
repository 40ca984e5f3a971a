#include "frontdesk/hztyvoucher.h"

#include "db/clinicdb.h"
#include "platform/grid.h"

namespace {
const QString kVoucherMedicine = QStringLiteral(
    "select ypxx.品名, ypxx.规格, tyxx.数量, ypxx.单位, tyxx.批号, ypxx.厂商 "
    "from 药品信息 as ypxx, 退药临时信息 as tyxx where tyxx.编号 = ypxx.编号 and tyxx.操作人帐号 = ? "
    "and (tyxx.流水号 = ? and tyxx.划价人帐号 = ?)");
const QString kVoucherService = QStringLiteral(
    R"~(select 服务类别, "服务费(元)" from 服务费退还临时信息 where 退还人帐号 = ? and (流水号 = ? and 划价人帐号 = ?))~");

// The voucher's two tables.
PrintTable MedicineTable() {
  PrintTable table;
  const Inches head = 1;
  const Inches cell = 2_in / 5;
  table.columns = {
      {QStringLiteral("品      名"), head, {}, cell},
      {QStringLiteral("规格"), head + 2, {}, cell + 127_in / 50},
      {QStringLiteral("数量"), head + 2 + 17_in / 25, {}, cell + 127_in / 50 + 7_in / 10},
      {QStringLiteral("单位"), head + 2 + 17_in / 25 + 8_in / 25, {}, cell + 127_in / 50 + 7_in / 10 + 2_in / 5},
      {QStringLiteral("药品批号"), head + 2 + 17_in / 25 + 8_in / 25 + 8_in / 25, {},
       cell + 127_in / 50 + 7_in / 10 + 2_in / 5 + 1_in / 4},
      {QStringLiteral("厂商"), head + 2 + 17_in / 25 + 8_in / 25 + 8_in / 25 + 59_in / 100, {},
       cell + 127_in / 50 + 7_in / 10 + 2_in / 5 + 1_in / 4 + 59_in / 100},
  };
  const Inches first = 1_in / 3 + 257_in / 100;
  table.separators = {first, first + 71_in / 100, first + 71_in / 100 + 8_in / 25,
                      first + 71_in / 100 + 8_in / 25 + 8_in / 25,
                      first + 71_in / 100 + 8_in / 25 + 8_in / 25 + 59_in / 100};
  return table;
}

PrintTable ServiceTable() {
  PrintTable table;
  table.columns = {{QStringLiteral("服务类别"), 2_in / 5, {}, 2_in / 5},
                   {QStringLiteral("服务费(元)"), 2_in / 5 + 3, {}, 2_in / 5 + 127_in / 50, CellKind::Amount}};
  table.separators = {1_in / 3 + 257_in / 100};
  table.headHeight = 1_in / 5;
  return table;
}

QList<QStringList> Texts(const QList<QVariantList>& rows) {
  QList<QStringList> texts;
  for (const QVariantList& row : rows) {
    QStringList cells;
    for (const QVariant& value : row) cells << CellText(value).trimmed();
    texts << cells;
  }
  return texts;
}
}  // namespace

PrintResult PrintPatientReturnVoucher(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName,
                                      const ReturnVoucherHeading& heading) {
  const QVariantList key = QVariantList{operatorName} + visit.Values();
  return PrintReport(QStringLiteral("患者退药凭证"), [&](PrinterCanvasReport& doc) {
    const QList<QStringList> medicine = Texts(ReadAll(db, kVoucherMedicine, key));
    const QList<QStringList> services = Texts(ReadAll(db, kVoucherService, key));
    doc.SetFooter(operatorName);
    doc.SetFontSize(18);
    doc.Title(QStringLiteral("Fenmarrow患者退药凭证"), 3, 1_in / 3, 3_in / 2, 7, 1_in / 3 + 1_in / 3);
    doc.SetFontSize(8);
    const Inches info = 1_in / 3 + 1_in / 2;
    Inches x = 1_in / 2;
    doc.Text(x, info, QStringLiteral("患者姓名："));
    doc.Text(x += 1_in / 2, info, heading.name);
    doc.Text(x += 1, info, QStringLiteral("退还总金额(元)："));
    doc.Text(x += 1, info, heading.total);
    doc.Text(x += 1_in / 2, info, QStringLiteral("退药总金额(元)："));
    doc.Text(x += 1, info, heading.medicine);
    doc.Text(x += 1_in / 2, info, QStringLiteral("服务费总金额(元)："));
    doc.Text(x += 1, info, heading.service);
    const PrintTable medicineTable = MedicineTable();
    doc.HeadRow(medicineTable, info + 1_in / 7);
    doc.Rows(medicineTable, medicine);
    const PrintTable serviceTable = ServiceTable();
    doc.HeadRow(serviceTable, Units(doc.LastRowBottom()) + 1_in / 5);
    doc.Rows(serviceTable, services);
    doc.FooterBelowLastRow();
  });
}
