#pragma once
// The printed documents of the supplier-return and write-off reports: a
// one-page voucher with one row per item, and a detail list of the lines,
// 48 to a page. Both reports draw the same tables; only their borders,
// heads and queries differ.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <utility>

#include "platform/printcanvas.h"

class QAbstractButton;

// Rows as the printer writes them: each field trimmed, amounts with two
// decimals. A NULL amount prints blank; an amount that is no number
// aborts the print (PrintError).
QList<QStringList> PrintedRows(const QList<QVariantList>& rows, const QList<int>& amountColumns);

// The voucher's table: 品名, 数量, 单位, 总价(元), 厂商, ruled up to right.
PrintTable VoucherTable(const Inches& right);
// The detail list's table: 品名, 规格, 数量, 单位, 单价, 总价, 批号, and
// with a reason head a last column for the reason; ruled up to right.
PrintTable DetailListTable(const Inches& right, const QString& reasonHead = QString());

// Texts along one line, each x a step from the one before.
void TextsAlong(PrinterCanvasReport& doc, Inches x, const Inches& y, const QList<std::pair<Inches, QString>>& steps);

// Reads what a document prints before it draws: a database error, or an
// amount that is no number, is shown, and false means no print.
bool ReadForPrint(const std::function<void()>& read);
// Prints; a print that failed shows the printer's words. True when printed.
bool PrintShown(const QString& title, const DrawDocument& draw);
// After a voucher that printed: the question about the detail list, whose
// button Yes presses.
void OfferDetailList(QAbstractButton* detailList);

// The question after a voucher printed well.
inline const QString kAskDetailList = QStringLiteral("要打印详单吗？打印单击是，不打印击否。");
inline const QString kAskDetailListTitle = QStringLiteral("详单打印提示");
