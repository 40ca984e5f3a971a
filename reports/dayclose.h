#pragma once
// The day close and the void of unpaid visits: what is priced but never
// paid at the cashier goes, its medicine back on the shelf count, and each
// goods' count is set to what its batches hold. These postings clear every
// desk's open visits, so each runs alone: until it commits no desk prices,
// settles or dispenses, and no second close starts.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The statements, as the postings run them (also timed bare by the
// benchmark). The void is the four statements of kVoidStatements in order.
extern const QString kCountUnpaidVisits;
extern const QString kCountPaidUndispensed;
extern const QStringList kVoidStatements;
extern const QString kStockFromBatches;
extern const QString kRecordClosedDay;

// The visits (serial with pricing account) still waiting at the cashier,
// as text ("0" when none).
QString UnpaidVisitCount(const QSqlDatabase& db);
// The paid visits whose medicine still waits at the dispensing desk.
QString PaidUndispensedCount(const QSqlDatabase& db);

// Deletes every unpaid medicine line (of any day), every voucher and every
// priced service, and raises 库存 by exactly the quantities of the lines
// it deletes, in one transaction. False (nothing changed) on a failure,
// with the engine's text in failure when asked.
bool VoidUnpaidVisits(const QSqlDatabase& db, QString* failure = nullptr);

struct DayCloseResult {
  enum Outcome {
    Closed,       // voided and the stock counts set from the batches
    PaidWaiting,  // paid medicine not yet dispensed: nothing changed
    Failed        // an error: nothing changed
  };
  Outcome outcome = Failed;
  QString waiting;  // PaidWaiting: the number of such visits, as text
  QString failure;  // Failed: the engine's text
};

// The close in one transaction: the paid-undispensed count taken again
// inside, then the void, then every goods with batches gets 库存 = the sum
// of its batches (goods without batches keep their count).
DayCloseResult DayClose(const QSqlDatabase& db);

// The confirm step: on yes the void, and in every case the closed day in
// 时间表, committed together. Paid lines stay. False (nothing changed) on
// a failure.
bool ConfirmDayClose(const QSqlDatabase& db, bool voidFirst, const QDate& today, QString* failure = nullptr);

// The tables the close and the void keep every other desk from writing,
// in the order the desks take them, so that a desk halfway through its
// own posting finishes it rather than meeting the close in a deadlock.
QStringList DayCloseTables();
