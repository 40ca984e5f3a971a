#include "db/clinicconventions.h"

#include <QSqlDriver>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "db/clinicdb.h"
#include "platform/messages.h"
#include "platform/session.h"

QString DayText(const QDate& day) { return day.toString(QStringLiteral("yyyy-MM-dd")); }

double FloatValue(const QString& text) {
  const std::optional<double> value = ParseFloat(text);
  if (!value) throw ConversionError(text);
  return *value;
}

QString TwoDecimals(double value) {
  // Ties round away from zero on the written figure, as money is rounded on
  // paper (1.005 is "1.01"); a tiny negative rest shows as "0.00".
  return FixedText(value, 2);
}

double CentsValue(double value) {
  // The figure is rounded as written to 15 digits: that writing and the
  // product below stay within a few parts in 1e15 of value * 100, so away
  // from a tie both round to the same whole number of cents, and dividing
  // it by 100 gives the double nearest that decimal, as reading it does.
  const double cents = value * 100;
  const double magnitude = std::fabs(cents);
  if (std::isfinite(cents) && magnitude < 1e13) {
    const double rest = magnitude - std::floor(magnitude);
    if (std::fabs(rest - 0.5) > 1e-13 * magnitude + 1e-9) {
      const double whole = std::round(cents);
      return whole == 0 ? 0.0 : whole / 100;
    }
  }
  return FloatValue(TwoDecimals(value));
}

QString MoneyText(const QString& sumText) {
  const QString text = sumText.trimmed();
  return text.isEmpty() ? QStringLiteral("0.00") : TwoDecimals(FloatValue(text));
}

QString MoneyText(const QSqlDatabase& db, const QString& sql, const QVariantList& values) {
  return MoneyText(ScalarText(db, sql, values));
}

QString MoneyTextStrict(const QString& sumText) { return TwoDecimals(FloatValue(sumText)); }

VisitKey VisitKey::FromText(const QString& serial, const QString& account) {
  return {FloatValue(serial), account.trimmed()};
}

QString VisitKey::Condition(const QString& alias) {
  const QString prefix = alias.isEmpty() ? QString() : alias + QLatin1Char('.');
  return QStringLiteral("(%1流水号 = ? and %1划价人帐号 = ?)").arg(prefix);
}

OperatorKind OperatorColumnKind(const QString& column) {
  static const QStringList byAccount{QStringLiteral("划价人帐号"), QStringLiteral("反库人帐号"),
                                     QStringLiteral("报损人帐号")};
  static const QStringList byName{QStringLiteral("收银人帐号"), QStringLiteral("出库人帐号"),
                                  QStringLiteral("操作人帐号"), QStringLiteral("退还人帐号"), QStringLiteral("统计人")};
  if (byAccount.contains(column)) return OperatorKind::Account;
  if (byName.contains(column)) return OperatorKind::UserName;
  throw std::invalid_argument("no operator is written into column " + column.toStdString());
}

QString OperatorValue(const QString& column) {
  return OperatorColumnKind(column) == OperatorKind::Account ? CurrentAccount() : CurrentUserName();
}

bool TransactionPosting(const QSqlDatabase& db, const std::function<void()>& work, QString* failure) {
  return TransactionPosting(db, QStringList(), work, failure);
}

namespace {
const char* const kPostingFailure = "brimwickPostingFailure";

// Remembers on the connection why the posting failed, when the clerk can
// do something about it: wait for the server, or for the other desk.
void NotePostingFailure(const QSqlDatabase& db, const DbError* error) {
  QSqlDriver* driver = db.driver();
  if (!driver) return;
  const bool told = error && error->kind() != StoreFailure::Other;
  driver->setProperty(kPostingFailure, told ? error->text() : QString());
}
}  // namespace

QString PostingFailedText(const QSqlDatabase& db) {
  QSqlDriver* driver = db.driver();
  const QString reason = driver ? driver->property(kPostingFailure).toString() : QString();
  if (driver) driver->setProperty(kPostingFailure, QString());
  if (reason.isEmpty()) return kOperationFailed;
  // The file store's own failures already begin with kOperationFailed.
  const QString said = reason.startsWith(kOperationFailed + QLatin1Char('\n')) ? reason.mid(kOperationFailed.size() + 1)
                                                                                 : reason;
  // The window reads its lists again next: while the server is out of
  // reach that fails too, and is not said a second time.
  const QStringList outOfReach = StoreOutOfReachSentences();
  const bool unknown = said.startsWith(CommitUnknownSentence());
  if (unknown || std::any_of(outOfReach.cbegin(), outOfReach.cend(), [&](const QString& s) { return said.startsWith(s); }))
    Messages::SayOnce(outOfReach);
  // A commit whose connection broke may have been written: no word of undoing.
  if (unknown) return said;
  return kOperationFailed + QStringLiteral("：本次操作已全部撤销，没有写入任何数据。\n") + said;
}

bool TransactionPosting(const QSqlDatabase& db, const QStringList& aloneOn, const std::function<void()>& work,
                        QString* failure) {
  NotePostingFailure(db, nullptr);
  try {
    BeginWriteAlone(db, aloneOn);
  } catch (const DbError& error) {
    NotePostingFailure(db, &error);
    if (failure) *failure = error.text();
    return false;
  }
  try {
    work();
    // PostgreSQL answers the commit of a transaction that a failed
    // statement has aborted with a quiet rollback, not an error: success
    // is only what CommitWrite saw committed.
    CommitWrite(db);
    return true;
  } catch (const DbError& error) {
    NotePostingFailure(db, &error);
    if (failure) *failure = error.text();
  } catch (const std::exception& error) {
    if (failure) *failure = QString::fromStdString(error.what());
  } catch (...) {
    // Whatever was thrown, the write lock must not stay held.
    if (failure) *failure = kOperationFailed;
  }
  RollbackWrite(db);
  return false;
}
