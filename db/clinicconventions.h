#pragma once
// What every clinic window shares: the text forms of days and money, the
// visit key, who goes into which operator column, and the one rule for
// the postings that change several tables in one click.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

#include "db/sql.h"
#include "platform/numbers.h"

// A batch or stock quantity closer to zero than this is empty: quantities
// are doubles, and a line of 0.1 taken thrice from 0.3 leaves a trace of
// binary noise, never a real amount of medicine.
inline constexpr double kQuantityTolerance = 1e-6;
// A row whose 数量 is empty, as the purges of emptied batches and receipts
// ask and as the index of those rows holds them: the planner takes that
// index only for a condition written exactly as its own. It is a between,
// never a pair of comparisons: a desk's own "数量 > ?" would match one of
// those in form, and SQLite then prepares that statement a second time at
// each run, to see whether the value bound makes the index apply.
inline const QString kEmptyQuantity =
    QStringLiteral("数量 between %1 and %2").arg(-kQuantityTolerance).arg(kQuantityTolerance);
// The same for the other purges: a dispensed line returned whole, and a
// paid visit whose income shows as 0.00 (binary noise after partial
// returns included).
inline const QString kEmptyIssueLine = QStringLiteral("数量 = 0");
inline const QString kNoIncome = QStringLiteral(R"~("收入金额(元)" between -0.005 and 0.005)~");

// The clinic windows' failure message after a posting was rolled back.
inline const QString kOperationFailed = QStringLiteral("对不起，操作失败");

// A text that should have been a number and is not. Shown like a database
// error: the handler stops with this message.
class ConversionError : public DbError {
 public:
  explicit ConversionError(const QString& text)
      : DbError(NotAFloatMessage(text)) {}
};

// A day as it travels to the store, always as a bound value: yyyy-MM-dd,
// so that text order is date order on SQLite and PostgreSQL reads it as a
// date.
QString DayText(const QDate& day);

// A number from a box or a cell, trimmed; throws ConversionError when the
// text is empty or no number.
double FloatValue(const QString& text);
// Two decimals, rounded, no thousands separator.
QString TwoDecimals(double value);
// The same figure as a number, exactly what reading TwoDecimals back gives
// (never -0), without the text between where no tie is near: a sheet
// rounds thousands of cells this way.
double CentsValue(double value);

// A sum read back as text (trimmed): empty (no row, or a sum over no rows)
// shows "0.00", otherwise the number with two decimals.
QString MoneyText(const QString& sumText);
// The same for the first cell of a one-row select of a sum.
QString MoneyText(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
// The form without the empty test: an empty sum raises ConversionError.
QString MoneyTextStrict(const QString& sumText);

// A clinic visit: the serial and the pricing account. Every statement that
// reads, moves or deletes the rows of one visit filters on both.
struct VisitKey {
  double serial = 0;  // 流水号
  QString account;    // 划价人帐号

  // From the texts of a grid row (trimmed); a serial that is no number
  // raises ConversionError.
  static VisitKey FromText(const QString& serial, const QString& account);
  // "(流水号 = ? and 划价人帐号 = ?)", the columns prefixed by alias when
  // given; its values are Values(), in that order.
  static QString Condition(const QString& alias = QString());
  QVariantList Values() const { return {serial, account}; }
  bool operator==(const VisitKey&) const = default;
};

// Who an operator column records: the account for 划价人帐号, 反库人帐号
// and 报损人帐号; the user's name for 收银人帐号, 出库人帐号, 操作人帐号,
// 退还人帐号 and 统计人, whatever their names suggest.
enum class OperatorKind { Account, UserName };
// Throws std::invalid_argument for a column no window writes the operator
// into (such as 入库人帐号, which is only ever copied).
OperatorKind OperatorColumnKind(const QString& column);
// The logged-in user's value for that column, trimmed.
QString OperatorValue(const QString& column);

// Runs a posting that changes several tables as one transaction on db,
// which holds the write lock from the start: begin, work, commit. When the
// work throws, or the commit fails, everything is rolled back and false is
// returned (with the engine's text in failure when asked); the window then
// shows kOperationFailed and re-reads its grids, only afterwards.
bool TransactionPosting(const QSqlDatabase& db, const std::function<void()>& work, QString* failure = nullptr);
// The same for a posting that must run alone: no other desk writes the
// tables named until it commits (BeginWriteAlone).
bool TransactionPosting(const QSqlDatabase& db, const QStringList& aloneOn, const std::function<void()>& work,
                        QString* failure = nullptr);
// What a window shows after a posting on db failed: kOperationFailed, and
// when a lost connection or a time-out ended the last posting, below it
// what happened (rolled back, nothing written, try again). Said once.
QString PostingFailedText(const QSqlDatabase& db);
