#pragma once
// The printed documents of the supplier-return and write-off reports: a
// one-page voucher with one row per item, and a detail list of the lines,
// 48 to a page. Both reports draw the same tables; only their borders,
// heads and queries differ.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "platform/printcanvas.h"

// Rows as the printer writes them: each field trimmed, amounts with two
// decimals. A NULL amount prints blank; an amount that is no number
// aborts the print (PrintError).
QList<QStringList> PrintedRows(const QList<QVariantList>& rows, const QList<int>& amountColumns);

// The voucher's table: 品名, 数量, 单位, 总价(元), 厂商, ruled up to right.
PrintTable VoucherTable(const Inches& right);
// The detail list's table: 品名, 规格, 数量, 单位, 单价, 总价, 批号, and
// with a reason head a last column for the reason; ruled up to right.
PrintTable DetailListTable(const Inches& right, const QString& reasonHead = QString());

// The question after a voucher printed well.
inline const QString kAskDetailList = QStringLiteral("要打印详单吗？打印单击是，不打印击否。");
inline const QString kAskDetailListTitle = QStringLiteral("详单打印提示");
