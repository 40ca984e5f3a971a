#pragma once
// What one staff member earned over a date window: the medicine they
// prescribed per goods category, the services they prescribed and the
// services they performed per item, each at its share of 比例分配表. The
// results stand in three tables of the store, one row per item, kept per
// acting user (统计人) until that user's next computation.
#include <QDate>
#include <QSqlDatabase>
#include <QString>

// Replaces every row of user in the three result tables by person's
// figures for d1..d2 (both days included), as one transaction: on failure
// it throws DbError and the user's previous rows stay as they were. The
// medicine shares are set on the rows just written only.
void ComputeCommission(const QSqlDatabase& db, const QString& person, const QDate& d1, const QDate& d2,
                       const QString& user);

// The seven amounts the window shows after a computation, as texts with two
// decimals ("0.00" for an empty sum).
struct CommissionTotals {
  QString medicineCommission;    // Editypje
  QString prescribedCommission;  // Editcfje
  QString performedCommission;   // Editfwje
  QString total;                 // Edithj: the three shown texts added
  QString medicineAmount;        // Edit1
  QString prescribedAmount;      // Edit2
  QString performedAmount;       // Edit3
};
CommissionTotals ReadCommissionTotals(const QSqlDatabase& db, const QString& person, const QString& user);

// The three commissions as shown, added as the window adds them: the texts
// as numbers in the order performed, prescribed, medicine.
QString CommissionSum(const QString& medicine, const QString& prescribed, const QString& performed);

// What person sold over d1..d2 before any share: the medicine and the
// services prescribed and performed (the window's amounts at its opening).
struct SalesAmounts {
  QString medicine;
  QString prescribed;
  QString performed;
};
SalesAmounts ReadSalesAmounts(const QSqlDatabase& db, const QString& person, const QDate& d1, const QDate& d2);

// The result rows of person for user, as the grids show them; one bound
// value each: person, then user.
extern const QString kSelectMedicineResult;
extern const QString kSelectPrescribedResult;
extern const QString kSelectPerformedResult;

// The computation's and the totals' statements, one after another as the
// functions above run them (the benchmark runs them bare as well).
namespace CommissionSql {
extern const QString kDeletePerformed;
extern const QString kDeleteMedicine;
extern const QString kDeletePrescribed;
extern const QString kInsertPerformed;
extern const QString kInsertPrescribed;
extern const QString kInsertMedicine;
extern const QString kSetMedicineShares;
extern const QString kSumMedicineCommission;
extern const QString kSumPrescribedCommission;
extern const QString kSumPerformedCommission;
extern const QString kSumMedicineAmount;
extern const QString kSumPrescribedAmount;
extern const QString kSumPerformedAmount;
extern const QString kSumMedicineSold;
extern const QString kSumPrescribedSold;
extern const QString kSumPerformedSold;
}  // namespace CommissionSql
