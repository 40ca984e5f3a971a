#pragma once
// Returns to the supplier and write-offs: a staging lowers the stock at
// once and keeps one row per account in a staging table; a confirm moves
// the account's staged rows to the final table. Each is one transaction on
// the receipt row picked, by its row id, so that two desks taking from the
// same batch never drive it below zero and a crash never leaves half a
// staging or half a confirm behind.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

enum class Correction {
  SupplierReturn,  // 临时反库信息 → 药品反库信息; the receipt row is lowered too
  WriteOff,        // 药品报损临时信息 → 药品报损信息; the receipt row stays
};

struct CorrectionRequest {
  Correction kind = Correction::SupplierReturn;
  qint64 receiptRowId = 0;  // 行号 of the 入库信息 row picked
  QString quantityText;     // as typed
  QString reason;
  QString account;  // the operator column: CurrentAccount
  QDate today;
};

enum class StagingOutcome {
  Staged,
  BadQuantity,  // not a number above zero
  ShortStock,   // the stock, the batch or the receipt row holds less, or is gone
  Failed,       // the store failed; nothing changed
};

// Lowers the batch, the stock and (for a supplier return) the receipt row
// by the quantity, each only while it holds it, and stages the row with
// the receipt row's code, batch, prices, supplier and receiver. A supplier
// return then deletes every empty receipt and batch row.
StagingOutcome StageCorrection(const QSqlDatabase& db, const CorrectionRequest& request, QString* failure = nullptr);

// Moves the account's staged rows to the final table: the number of rows
// moved, or -1 when the store failed (nothing moved).
int StagingConfirm(const QSqlDatabase& db, Correction kind, const QString& account, QString* failure = nullptr);
