#pragma once
// The patient return voucher: the rows of one visit that one operator has
// staged, printed on one page before the return is committed.
#include <QSqlDatabase>
#include <QString>

#include "db/clinicconventions.h"
#include "platform/printcanvas.h"

// The voucher's info line, as the window's boxes show it.
struct ReturnVoucherHeading {
  QString name;      // the patient
  QString total;     // 退还总金额
  QString medicine;  // 退药总金额
  QString service;   // 服务费总金额
};

// Prints the voucher of the visit's rows staged by operatorName; a print
// that fails says why in the result.
PrintResult PrintPatientReturnVoucher(const QSqlDatabase& db, const VisitKey& visit, const QString& operatorName,
                                      const ReturnVoucherHeading& heading);
