#pragma once
// The clinic's reference lists: service items with their fee-share rows,
// units of goods, suppliers, and the two fee-share percentages of an item.
// Names are trimmed before they are stored or compared, and no list holds
// one name twice.
#include <QSqlDatabase>
#include <QString>

enum class ListChange {
  Done,
  Incomplete,  // a name or a number missing, or a number that is none
  Duplicate,   // the name is in the list already (perhaps added by another desk)
  Failed,      // the store failed part-way; nothing changed
};

// Adds a service item at the price and its fee-share row with empty
// percentages, both or neither. The price must be a number of at least 0.
ListChange AddServiceItem(const QSqlDatabase& db, const QString& code, const QString& name, const QString& priceText);
// Sets the price of every item of that name (none: nothing changes).
// Store errors throw DbError.
ListChange ChangeServicePrice(const QSqlDatabase& db, const QString& name, const QString& priceText);
// Deletes the item and its fee-share row, both or neither.
ListChange DeleteServiceItem(const QSqlDatabase& db, const QString& name);

// The two plain lists, each a table of one column of the same name.
enum class ReferenceList { Units, Suppliers };
QString ReferenceTable(ReferenceList list);
// Adds an entry; store errors throw DbError.
ListChange AddListEntry(const QSqlDatabase& db, ReferenceList list, const QString& text);
void DeleteListEntry(const QSqlDatabase& db, ReferenceList list, const QString& text);

// Stores the two percentages of the fee-share rows with that item and
// code; each must be a number (any range).
ListChange SetFeeShares(const QSqlDatabase& db, const QString& code, const QString& item, const QString& doctorText,
                        const QString& performerText);
