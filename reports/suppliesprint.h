#pragma once
// The two paged documents of the supplies report: the receipt slip and the
// issue voucher, each for the rows a filter covers, 48 rows a page.
#include <QSqlDatabase>

#include "platform/printcanvas.h"
#include "reports/suppliesquery.h"

// person is what the header prints after "入库人：" / "领取人：" (the box's
// text, which may be empty while the filter covers everyone). Throws
// DbError when the rows cannot be read; a printer failure comes back in
// the result.
PrintResult PrintReceiptSlip(const QSqlDatabase& db, const SuppliesFilter& filter, const QString& person);
PrintResult PrintIssueVoucher(const QSqlDatabase& db, const SuppliesFilter& filter, const QString& person);
