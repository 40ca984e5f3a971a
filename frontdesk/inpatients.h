#pragma once
// The inpatient accounts: admitting a patient, booking a cash deposit into
// the ledger, discharging, and the three sums the desk shows. Patients are
// known by name alone; no two admitted patients share one.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

struct InpatientAdmission {
  QString pinyin;   // 拼音缩写
  QString name;     // 姓名
  QString sex;      // 性别
  QString age;      // 年龄
  QString card;     // 合作医疗证号
  QString address;  // 住址
};

enum class AdmissionOutcome {
  Admitted,
  Duplicate,   // the name is admitted already, perhaps by another desk a moment ago
  Incomplete,  // no name, or no sex picked
};

// Registers the patient (values trimmed). Store errors throw DbError.
AdmissionOutcome AdmitInpatient(const QSqlDatabase& db, const InpatientAdmission& patient);

// The one admission statement of every desk: inserts the patient, values
// trimmed, unless the name is admitted already, perhaps a moment ago at
// another desk; false then, with nothing changed and no error. Other store
// errors throw DbError.
bool InsertAdmission(const QSqlDatabase& db, const InpatientAdmission& patient);
// Whether a patient of that name (blanks around it aside) is admitted.
bool IsAdmitted(const QSqlDatabase& db, const QString& name);

enum class DepositOutcome {
  Booked,
  NothingBooked,  // an amount of zero, chosen patient or not
  Incomplete,     // no patient, or an amount that is no number or below zero, or
                  // that would take the deposits or the balance past the digits
  Failed,         // the patient is no longer admitted, or the store failed: nothing booked
};

// Books a cash deposit ("现金存入") of amountText for the admitted patient
// name on day by operatorName. A discharge at another desk either waits for
// the deposit and takes its row away with the others, or comes first and
// the deposit finds no patient.
DepositOutcome BookDeposit(const QSqlDatabase& db, const QString& name, const QString& amountText, const QDate& day,
                           const QString& operatorName);

// Deletes the patient's admission and ledger rows together; an empty name
// deletes nothing. False, with nothing changed, when the store fails.
bool DischargePatient(const QSqlDatabase& db, const QString& name);

// What the desk shows for a patient: the movements ending in 存入 (cash and
// refunds), the spending ("支出"), both with two decimals or "0.0" when
// there are none, and the balance in the general float form ("400").
struct DepositTotals {
  QString deposits;
  QString spending;
  QString balance;
};
DepositTotals DepositBalance(const QSqlDatabase& db, const QString& name);
