#pragma once
// What the supplies report asks of the store: the receipts and issues of
// supplies over a date window, for one person or all, for the suppliers
// whose name contains a filter.
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <optional>

// Statements of the supplies report; %1 is a SuppliesFilter's Where().
extern const QString kSelectSupplyReceipts;
extern const QString kSumSupplyReceipts;
extern const QString kSelectSupplyIssues;
extern const QString kSumSupplyIssueCost;
extern const QString kSumSupplyIssueRetail;
extern const QString kSumSupplyIssueProfit;
extern const QString kSumSupplyIssues;
extern const QString kSelectReceiptSlipRows;
extern const QString kSelectIssueVoucherRows;

// Which rows a statement covers.
struct SuppliesFilter {
  QString firstDay;
  QString lastDay;
  // The person column's value (入库人帐号 of receipts, 领取人 of issues);
  // none: every person.
  std::optional<QString> person;
  // The supplier filter, matched inside the supplier's name; a row without
  // a supplier never matches. None: no supplier test at all.
  std::optional<QString> supplier;

  // The where clause for a table whose person column is personColumn.
  QString Where(const QSqlDatabase& db, const QString& personColumn) const;
  QVariantList Values() const;
  // One of the statements above, completed.
  QString Statement(const QSqlDatabase& db, const QString& statement, const QString& personColumn) const {
    return statement.arg(Where(db, personColumn));
  }
};

inline const QString kReceiver = QStringLiteral("入库人帐号");
inline const QString kRecipient = QStringLiteral("领取人");
