#pragma once
// The cash income summary that the cashier and the pharmacy sign, and the
// amount in Chinese capitals written on it.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include "db/sql.h"
#include "platform/printcanvas.h"

// The sheet's statements (also timed bare by the benchmark): the medicine
// of one category (days, charge category, medicine category), the service
// items in the order entered, and one item's fees (days, charge category,
// item).
extern const QString kSheetMedicineOfCategory;
extern const QString kSheetServiceItems;
extern const QString kSheetServiceOfItem;

// An amount too large for the capitals' thirteen places.
class AmountOutOfRange : public DbError {
 public:
  AmountOutOfRange() : DbError(QStringLiteral("对不起，金额超出范围")) {}
};

// The amount in capitals as on a receipt: rounded to two decimals (half
// up), 元 after the integer part, 角 and 分 when not zero, "整" at the end;
// a negative amount is "负" and the capitals of its absolute value. Throws
// ConversionError for a text that is no number and AmountOutOfRange for
// more than thirteen integer digits.
QString AmountInCapitals(const QString& amountText);

enum class IncomeKind { Outpatient, Inpatient };
// The window a sheet is printed from: the day close dates it by its one
// day, the period reconciliation by both ends.
enum class SheetOrigin { DayClose, Period };

struct CashIncomeSheet {
  IncomeKind kind = IncomeKind::Outpatient;
  SheetOrigin origin = SheetOrigin::DayClose;
  QDate first;
  QDate last;
  QString total;         // the reconciliation's total of the kind, as shown
  QString operatorText;  // the account printing it
};

// The sheet's title, also the print job's.
QString CashIncomeTitle(IncomeKind kind);

// The sheet as a document for PrintReport: the medicine of 西药, 中成药 and
// 饮片 and every service item (in the order entered) of the kind's charge
// category over the sheet's days, with the total written out in capitals.
// Service items past the table's 33 go on further pages under the same
// grid and heads. The capitals are written before anything is drawn: an
// amount they cannot take throws here (see AmountInCapitals).
DrawDocument CashIncomeSummaryPrint(const QSqlDatabase& db, const CashIncomeSheet& sheet);
