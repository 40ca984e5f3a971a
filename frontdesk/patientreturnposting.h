#pragma once
// Taking back what a patient received: a dispensed medicine line goes back
// to its batch and the stock, a paid service fee is refunded in whole or in
// part, and both wait per operator and visit until the return voucher is
// committed. Each of the three is one transaction that re-reads the rows it
// changes, so two desks working on the same visit never return more than
// was dispensed or refund more than was paid.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include "db/clinicconventions.h"

// The sums a return voucher shows for one visit and operator: medicine,
// service fees and both together, as money texts.
struct RefundTotals {
  QString medicine = QStringLiteral("0.00");
  QString service = QStringLiteral("0.00");
  QString total = QStringLiteral("0.00");
};
RefundTotals RefundSums(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName);

// Whether a batch of this goods code was ever received here.
bool BatchReceivedHere(const QSqlDatabase& db, const QString& code, const QString& batch);

enum class ReturnOutcome {
  Done,
  BadQuantity,   // not a number above zero
  BadShelfLife,  // the batch must be made and the shelf life is no number
  Failed,        // rolled back: the line no longer holds the quantity, or the store failed
};

struct LineReturn {
  VisitKey visit;
  QString code;          // 编号 of the dispensed line
  QString batch;         // the batch the medicine goes back to
  QString quantityText;  // as typed
  QString shelfLifeText; // days, read only when the batch is made anew
  QDate producedOn;      // for a batch made anew
  QDate today;
  QString operatorName;  // 操作人帐号: the user's name
  // The dispensed line's own row, as DispensedLineRowId reads it; none
  // for the visit's line of the goods when it holds only one.
  QVariant lineRow = {};
};

// What a dispensed line's row is known by, as a select of 出库信息 names
// it: the picked grid row carries it, so a return lowers that line and no
// other of the same goods.
QString DispensedLineRowId(const QSqlDatabase& db);

// Lowers the visit's dispensed line of that row and code by the quantity
// (only while it holds it), raises the batch (making it when it is gone)
// and the stock, and stages the return at the line's own price and day.
// BadQuantity also when the visit's staged refunds would pass the amounts'
// digits.
ReturnOutcome ReturnDispensedLine(const QSqlDatabase& db, const LineReturn& line, QString* failure = nullptr);

enum class RefundOutcome {
  Whole,      // the line was deleted and its whole fee staged
  Part,       // the line's fee was lowered by the amount staged
  BadAmount,  // not a number above zero, or the visit's staged refunds
              // would pass the amounts' digits
  Failed,     // rolled back: the line is gone, or the store failed
};

// Refunds amount from the paid service line with this row id (行号).
RefundOutcome RefundServiceLine(const QSqlDatabase& db, qint64 rowId, const QString& amountText, const QDate& today,
                                const QString& operatorName, QString* failure = nullptr);

// What a commit moved.
struct CommittedReturn {
  int medicineRows = 0;
  int serviceRows = 0;
  double medicine = 0;  // the sum of the medicine rows moved
  double service = 0;   // the sum of the fees moved
};

// Moves the visit's rows staged by this operator to the final tables,
// lowers the visit's fees by what it moved and books the total in the
// deposit ledger as "退方存入". False (everything rolled back) when
// nothing was staged, the visit's row is not there once, or the store
// fails.
bool CommitPatientReturn(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName,
                         const QDate& today, CommittedReturn* moved = nullptr, QString* failure = nullptr);
