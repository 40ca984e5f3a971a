#include "frontdesk/servicelists.h"

#include "db/clinicconventions.h"
#include "db/sql.h"
#include "platform/numbers.h"

namespace {
// Names compare as the store's keys hold them, blanks around them aside.
const QString kCountItem = QStringLiteral(
    "select (select count(*) from 服务项目 where trim(服务项目) = ?) + "
    "(select count(*) from 比例分配表 where trim(项目) = ?)");
const QString kInsertItem =
    QStringLiteral(R"~(insert into 服务项目 (拼音缩写, 服务项目, "项目单价(元)") values (?, ?, ?))~");
const QString kInsertShares = QStringLiteral("insert into 比例分配表 (拼音缩写, 项目) values (?, ?)");
const QString kUpdatePrice = QStringLiteral(R"~(update 服务项目 set "项目单价(元)" = ? where 服务项目 = ?)~");
const QString kDeleteItem = QStringLiteral("delete from 服务项目 where 服务项目 = ?");
const QString kDeleteShares = QStringLiteral("delete from 比例分配表 where 项目 = ?");
const QString kUpdateShares =
    QStringLiteral("update 比例分配表 set 医生比例 = ?, 服务人比例 = ? where 项目 = ? and 拼音缩写 = ?");
// Table and column share the list's name, a fixed name of the program.
const QString kFindEntry = QStringLiteral("select %1 from %1 where trim(%1) = ?");
const QString kInsertEntry = QStringLiteral("insert into %1 (%1) values (?)");
const QString kDeleteEntry = QStringLiteral("delete from %1 where %1 = ?");

bool ItemExists(const QSqlDatabase& db, const QString& name) {
  return ScalarText(db, kCountItem, {name, name}) != QLatin1String("0");
}

std::optional<double> Price(const QString& text) {
  const std::optional<double> price = ParseAmount(text);
  if (!price || *price < 0) return std::nullopt;
  return price;
}

bool EntryExists(const QSqlDatabase& db, ReferenceList list, const QString& text) {
  return !ScalarText(db, kFindEntry.arg(ReferenceTable(list)), {text}).isEmpty();
}
}  // namespace

ListChange AddServiceItem(const QSqlDatabase& db, const QString& code, const QString& name, const QString& priceText) {
  const QString item = name.trimmed();
  const std::optional<double> price = Price(priceText);
  if (item.isEmpty() || !price) return ListChange::Incomplete;
  if (ItemExists(db, item)) return ListChange::Duplicate;
  const bool done = TransactionPosting(db, [&] {
    Exec(db, kInsertItem, {code.trimmed(), item, *price});
    Exec(db, kInsertShares, {code.trimmed(), item});
  });
  if (done) return ListChange::Done;
  // A desk that added the same name a moment earlier holds it now.
  try {
    return ItemExists(db, item) ? ListChange::Duplicate : ListChange::Failed;
  } catch (const DbError&) {
    return ListChange::Failed;
  }
}

ListChange ChangeServicePrice(const QSqlDatabase& db, const QString& name, const QString& priceText) {
  const std::optional<double> price = Price(priceText);
  if (!price) return ListChange::Incomplete;
  Exec(db, kUpdatePrice, {*price, name.trimmed()});
  return ListChange::Done;
}

ListChange DeleteServiceItem(const QSqlDatabase& db, const QString& name) {
  const bool done = TransactionPosting(db, [&] {
    Exec(db, kDeleteItem, {name});
    Exec(db, kDeleteShares, {name});
  });
  return done ? ListChange::Done : ListChange::Failed;
}

QString ReferenceTable(ReferenceList list) {
  return list == ReferenceList::Units ? QStringLiteral("药品单位") : QStringLiteral("药品来源");
}

ListChange AddListEntry(const QSqlDatabase& db, ReferenceList list, const QString& text) {
  const QString entry = text.trimmed();
  if (EntryExists(db, list, entry)) return ListChange::Duplicate;
  if (entry.isEmpty()) return ListChange::Incomplete;
  try {
    Exec(db, kInsertEntry.arg(ReferenceTable(list)), {entry});
  } catch (const DbError&) {
    if (EntryExists(db, list, entry)) return ListChange::Duplicate;
    throw;
  }
  return ListChange::Done;
}

void DeleteListEntry(const QSqlDatabase& db, ReferenceList list, const QString& text) {
  Exec(db, kDeleteEntry.arg(ReferenceTable(list)), {text.trimmed()});
}

ListChange SetFeeShares(const QSqlDatabase& db, const QString& code, const QString& item, const QString& doctorText,
                        const QString& performerText) {
  const std::optional<double> doctor = ParseFloat(doctorText);
  const std::optional<double> performer = ParseFloat(performerText);
  if (!doctor || !performer) return ListChange::Incomplete;
  Exec(db, kUpdateShares, {*doctor, *performer, item.trimmed(), code.trimmed()});
  return ListChange::Done;
}
