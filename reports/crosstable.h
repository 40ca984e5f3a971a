#pragma once
// The clinic's takings over a date window as a cross table in a workbook:
// persons across, goods categories and service items down, totals on the
// right and at the bottom.
//   doctor sales: what each doctor prescribed, medicine by category and
//     services by item, with a row of takings per cashier below;
//   service detail: what each doctor, lab worker and nurse performed, by
//     service item.
#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <utility>

#include "platform/spreadsheet.h"

enum class CrossTable { DoctorSales, ServiceDetail };

// The number format of every amount: thousands separated, two decimals.
extern const QString kCrossTableMoneyFormat;

// "医生销售统计表" or "辅助科室服务明细表".
QString CrossTableTitle(CrossTable table);
// The name the save dialog proposes: title, a blank, d1 "-" d2, ".xlsx".
QString CrossTableFileName(CrossTable table, const QDate& d1, const QDate& d2);

// Builds the workbook for d1..d2 (both days included). Each block of cells
// comes from one grouped statement; the staff and the service items are
// read once, and that order serves heads, rows and totals. Throws DbError.
Workbook ExcelCrossTableExport(const QSqlDatabase& db, CrossTable table, const QDate& d1, const QDate& d2);

// Every row of a statement run with its values, each cell as Qt's driver
// gives it.
using CrossTableReader = std::function<QList<QVariantList>(const QString& sql, const QVariantList& values)>;
// The same workbook from rows read elsewhere (the benchmark reads the same
// statements through the engine's own interface); postgres chooses the
// medicine block's statement as for that store.
Workbook ExcelCrossTableExport(const CrossTableReader& read, bool postgres, CrossTable table, const QDate& d1,
                               const QDate& d2);

// The statements the export runs, each once (the benchmark runs them bare
// as well): the staff of each workbook, the items, and the grouped blocks
// over d1, d2 (the medicine block also over the three categories).
namespace CrossTableSql {
extern const QString kSelectDoctors;
extern const QString kSelectServiceStaff;
extern const QString kSelectItems;
extern const QString kSumMedicineByDoctor;
// The same as a plain grouping (values: d1, d2, the three categories).
extern const QString kSumMedicineByDoctorGrouped;
// The medicine block as the store answers it fastest, with its values:
// the walk above on SQLite, the grouping on PostgreSQL.
std::pair<QString, QVariantList> MedicineByDoctor(bool postgres, const QString& d1, const QString& d2);
extern const QString kSumServicesByDoctor;
extern const QString kSumServicesByPerformer;
extern const QString kSumByCashier;
}  // namespace CrossTableSql
