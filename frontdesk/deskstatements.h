#pragma once
// What the front desk's postings ask of the store, in one place: the
// postings run them, and the benchmark runs the same texts bare to
// measure what the postings add. Values are bound in the order of the
// placeholders.
#include <QString>

namespace DeskStatements {
// A visit's serial; the account is bound once per table read.
extern const QString kLargestSerial;
inline constexpr int kSerialTables = 9;
// The account's serial counter: made at 0 when missing, then raised past
// the larger of itself and the largest stored serial (bound twice), read
// back.
extern const QString kStartSerialCounter;
extern const QString kAdvanceSerialCounter;
// Whether a visit is still open at its pricing desk: its unpaid lines,
// and the rows that show it settled or taken (a voucher, paid or
// dispensed lines, the paid visit). Values: the visit key.
extern const QString kOpenVisitLines;
extern const QString kClosedVisitRows;
// Pricing.
extern const QString kLowerStock;
extern const QString kRaiseStock;
extern const QString kAddToLine;
extern const QString kInsertLine;
extern const QString kDeleteLine;
extern const QString kInsertVoucher;
extern const QString kVisitTotal;
// Settling.
extern const QString kTakeVoucher;
extern const QString kQueueVisit;
extern const QString kMarkLinesPaid;
extern const QString kCopyServices;
extern const QString kDeletePricedServices;
extern const QString kInsertIncome;
extern const QString kInsertSpending;
// Dispensing; %1 in the batch statements is PhysicalRowId. The batch
// reads bind the goods, the quantity tolerance and today.
extern const QString kTakeFromQueue;
extern const QString kSignLines;
extern const QString kStageLines;
extern const QString kStagedLines;
extern const QString kMoveLines;
extern const QString kDeleteLines;
extern const QString kOldestBatch;
extern const QString kCountBatchesWithStock;
extern const QString kCountExpiredBatchesWithStock;
extern const QString kSetBatch;
}  // namespace DeskStatements
