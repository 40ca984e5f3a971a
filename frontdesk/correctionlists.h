#pragma once
// What the return-to-supplier and write-off windows both read: the receipts
// of a batch (with the receipt's or the batch's quantity), the batch's
// present quantity, and the batch check.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class DataGrid;

// Columns of the receipts grids, read by index; the receipt row's id rides
// along last, hidden.
enum ReceiptColumn { kReceiptCode = 0, kReceiptName = 1, kReceiptBatch = 3, kReceiptQuantity = 4, kReceiptRowId = 12 };

enum class ReceiptList {
  ByPinyinPrefix,  // the receipt's own quantity, pinyin code from its start
  ByPinyin,        // the receipt's own quantity, pinyin code anywhere
  WithBatch,       // the batch's present quantity, pinyin code anywhere
};

// The receipts of a batch whose goods' pinyin code matches. saleTitle is
// the title of the retail price column.
QSqlQuery SelectReceipts(const QSqlDatabase& db, ReceiptList list, const QString& pinyin, const QString& batch,
                         const QString& saleTitle);
// Opens the receipts into a grid with the row id hidden.
void OpenReceipts(DataGrid* grid, QSqlQuery& query, const QList<int>& widths);

// The batch's present quantity as text, "0" without such a batch.
QString BatchQuantityText(const QSqlDatabase& db, const QString& code, const QString& batch);
// Whether the goods code has a batch of that number. The windows ask it of
// the receipt row picked, as that row's batch is the one a staging lowers.
bool BatchExists(const QSqlDatabase& db, const QString& code, const QString& batch);

// The message when the picked goods have no such batch here.
extern const QString kNotOurBatch;
// The message when a batch, the stock or a receipt holds less.
extern const QString kShortStock;
// What a batch number box lets through: letters, digits, "-" and ".".
extern const QString kBatchNumberKeys;
