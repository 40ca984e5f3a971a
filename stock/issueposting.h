#pragma once
// Issuing goods from stock batches. A pending line is checked against its
// batch as the store holds it at that moment, and completing the document
// lowers every batch it takes from in one transaction, so two windows
// selling from the same batch cannot drive it below zero.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

enum class IssueRefusal {
  None,         // the line was added
  BadQuantity,  // not a number greater than zero
  BadPrice,     // not a number, or below zero
  ShortStock,   // the batch is gone, or holds less than its pending lines would take
};

// Adds one pending line that takes quantity from the batch (code, serial)
// at salePrice. The search code and purchase price are the batch's own; the
// line's sales amount and cost are worked out here.
IssueRefusal AddIssueLine(const QSqlDatabase& db, const QString& code, const QString& serial, double quantity,
                          double salePrice, const QDate& day);

// Copies every pending line into the issue records, lowers each batch by
// its lines, deletes the batches left at or below zero and empties the
// pending lines. Returns false, with nothing changed, when a batch is gone
// or holds less than its lines take. Store errors throw DbError, also with
// nothing changed.
bool CompleteIssue(QSqlDatabase& db);

// A quantity or amount as the shop shows it: rounded to 10 decimals, so a
// difference such as 10 - 3.3 is stored as 6.7 without binary noise.
double RoundQuantity(double value);
