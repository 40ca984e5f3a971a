#pragma once
// The pricing desk's postings: a priced line lowers the stock the moment it
// is written, its removal gives the stock back, and the voucher carries the
// sum of the visit's lines to the cashier. Each is one transaction; none
// opens a message box.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "db/clinicconventions.h"

struct PricedLine {
  QString code;       // 编号
  double quantity;    // above zero
  // 单价(元) of a new line, zero or more: the price the desk shows. A
  // line the goods already have on the visit keeps its own price; none
  // says the desk means to add to that line only.
  std::optional<double> price;
  QString doctor;     // 开方医师
  QString category;   // 收费类别
  QDate day;          // the pricing day
};

enum class PricingResult {
  Done,
  ShortStock,   // the goods have no stock row, or less than the quantity
  BadQuantity,  // not a number above zero, or past the amounts' digits, or
                // taking the visit's total or an added-to line past them
  BadPrice,     // not a number, below zero, or past the amounts' digits, or
                // a new line whose total would pass them; or none for goods
                // the visit has no line of
  NoLine,       // nothing to remove, or no line to make a voucher of
  VisitTaken,   // another desk settled, voided or claimed the visit meanwhile
  Failed,       // a store error; everything was rolled back
};

// Lowers the goods' stock in place by the quantity, refusing one that
// would take it below zero, and adds the quantity to the visit's one line
// of those goods, whose price stays, or writes a new line at the price
// given. A visit keeps one line per goods: the stock row taken first holds
// back any other posting of the goods until this one commits. When
// startsVisit (the desk has written nothing under the key yet) no row of
// any visit may hold the key; otherwise the visit must still have unpaid
// lines and nothing settled. failure receives the engine's text.
PricingResult AddPricedLine(const QSqlDatabase& db, const VisitKey& key, const PricedLine& line, bool startsVisit,
                            QString* failure = nullptr);

// Deletes the visit's unpaid line of the goods and raises the stock by the
// quantity deleted, together. VisitTaken once the visit has a voucher or
// was settled; NoLine when it has no such line (or none at all).
PricingResult RemovePricedLine(const QSqlDatabase& db, const VisitKey& key, const QString& code,
                               QString* failure = nullptr);

// Writes the visit's voucher for the cashier: its medicine fee is the sum
// of the visit's lines, its service fee 0. NoLine when the visit has no
// unpaid line; VisitTaken when it has a voucher or was settled already.
PricingResult MakeVoucher(const QSqlDatabase& db, const VisitKey& key, const QString& name,
                          const QString& category, const QDate& day, QString* failure = nullptr);

// The visit's medicine total as the voucher will carry it: the sum of its
// lines, or nothing when it has none.
std::optional<double> VisitTotal(const QSqlDatabase& db, const VisitKey& key);
