#include "frontdesk/inpatients.h"

#include <stdexcept>

#include "db/clinicconventions.h"
#include "db/sql.h"
#include "platform/numbers.h"

namespace {
// By the name as the store's key holds it, blanks around it aside.
const QString kFindAdmitted = QStringLiteral("select 姓名 from 入院信息表 where trim(姓名) = ?");
// Two desks admitting one name at once: the store's key on the name lets
// one row in, and the other insert quietly does nothing.
const QString kInsertAdmission = QStringLiteral(
    "insert into 入院信息表 (拼音缩写, 姓名, 性别, 年龄, 合作医疗证号, 住址) values (?, ?, ?, ?, ?, ?) "
    "on conflict do nothing");
// Touching the admission row locks it until the deposit commits: a
// discharge deleting it meanwhile waits, or has already taken it away and
// the deposit finds no row to touch.
const QString kHoldAdmission = QStringLiteral("update 入院信息表 set 拼音缩写 = 拼音缩写 where 姓名 = ?");
const QString kInsertDeposit =
    QStringLiteral("insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '现金存入', ?, ?)");
// The admission goes first, so that a deposit racing the discharge waits
// on its row lock and never books behind the ledger's deletion.
const QString kDeleteAdmission = QStringLiteral("delete from 入院信息表 where 姓名 = ?");
const QString kDeleteLedger = QStringLiteral("delete from 住院患者押金表 where 姓名 = ?");
const QString kSumDeposits =
    QStringLiteral("select sum(金额) 总价 from 住院患者押金表 where 姓名 = ? and 收费类别 like '%存入'");
const QString kSumSpending =
    QStringLiteral("select sum(金额) 总价 from 住院患者押金表 where 姓名 = ? and 收费类别 = '支出'");

const QString kNoSex = QStringLiteral("性别");

// An empty sum shows "0.0" on this desk.
QString LedgerSum(const QSqlDatabase& db, const QString& sql, const QString& name) {
  const QString sum = ScalarText(db, sql, {name});
  return sum.isEmpty() ? QStringLiteral("0.0") : TwoDecimals(FloatValue(sum));
}
}  // namespace

bool IsAdmitted(const QSqlDatabase& db, const QString& name) {
  return !ScalarText(db, kFindAdmitted, {name.trimmed()}).isEmpty();
}

bool InsertAdmission(const QSqlDatabase& db, const InpatientAdmission& patient) {
  return ExecCount(db, kInsertAdmission,
                   {patient.pinyin.trimmed(), patient.name.trimmed(), patient.sex.trimmed(), patient.age.trimmed(),
                    patient.card.trimmed(), patient.address.trimmed()}) == 1;
}

AdmissionOutcome AdmitInpatient(const QSqlDatabase& db, const InpatientAdmission& patient) {
  const QString name = patient.name.trimmed();
  const QString sex = patient.sex.trimmed();
  if (IsAdmitted(db, name)) return AdmissionOutcome::Duplicate;
  if (name.isEmpty() || sex.isEmpty() || sex == kNoSex) return AdmissionOutcome::Incomplete;
  // Admitted at another desk between the test and the insert: a duplicate too.
  return InsertAdmission(db, patient) ? AdmissionOutcome::Admitted : AdmissionOutcome::Duplicate;
}

DepositOutcome BookDeposit(const QSqlDatabase& db, const QString& name, const QString& amountText, const QDate& day,
                           const QString& operatorName) {
  const QString patient = name.trimmed();
  const std::optional<double> amount = ParseAmount(amountText);
  // A zero, the box's own "0" above all, books nothing and asks for
  // nothing, whether or not a patient is chosen.
  if (amount && *amount == 0) return DepositOutcome::NothingBooked;
  if (patient.isEmpty() || !amount || *amount < 0) return DepositOutcome::Incomplete;
  bool admitted = false, pastDigits = false;
  const bool done = TransactionPosting(db, [&] {
    admitted = ExecCount(db, kHoldAdmission, {patient}) > 0;
    if (!admitted) return;
    Exec(db, kInsertDeposit, {patient, DayText(day), *amount, operatorName.trimmed()});
    // The deposits and the balance the desk shows, with this one, stay
    // within the digits of what is owed; the admission row's lock keeps
    // another desk's deposit for the patient out until this commits.
    const double deposits = ScalarText(db, kSumDeposits, {patient}).toDouble();
    const double spending = ScalarText(db, kSumSpending, {patient}).toDouble();
    pastDigits = !OwedWithinAmountDigits(deposits) || !OwedWithinAmountDigits(deposits - spending);
    if (pastDigits) throw std::runtime_error("the deposits would pass the digits of an amount");
  });
  if (pastDigits) return DepositOutcome::Incomplete;
  return done && admitted ? DepositOutcome::Booked : DepositOutcome::Failed;
}

bool DischargePatient(const QSqlDatabase& db, const QString& name) {
  const QString patient = name.trimmed();
  if (patient.isEmpty()) return true;
  return TransactionPosting(db, [&] {
    Exec(db, kDeleteAdmission, {patient});
    Exec(db, kDeleteLedger, {patient});
  });
}

DepositTotals DepositBalance(const QSqlDatabase& db, const QString& name) {
  DepositTotals totals;
  totals.deposits = LedgerSum(db, kSumDeposits, name);
  totals.spending = LedgerSum(db, kSumSpending, name);
  totals.balance = FloatText(FloatValue(totals.deposits) - FloatValue(totals.spending));
  return totals;
}
