#pragma once
// The two slips of the personal income window: the pay slip with
// the three commissions and their results, and the sales slip with the
// amounts sold only.
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include "platform/printcanvas.h"

struct SlipContent {
  QString person;  // as the name line shows it, untrimmed
  QString d1;
  QString d2;
  QString user;  // the pay slip's footer
  // The window's boxes as shown: Editypje, Editcfje, Editfwje, Edithj.
  QString medicineCommission, prescribedCommission, performedCommission, commissionTotal;
  // Edit1, Edit2, Edit3.
  QString medicineAmount, prescribedAmount, performedAmount;
  // The result rows, cells in the general number form: medicine as 服务项目,
  // 总金额, 提成比例, 提成金额; the two service tables as 服务项目, 服务数目,
  // 总金额, 提成比例, 提成金额.
  QList<QStringList> medicine;
  QList<QStringList> prescribed;
  QList<QStringList> performed;
};

// Reads the user's result rows of person into content. Throws DbError.
void ReadSlipRows(const QSqlDatabase& db, const QString& person, const QString& user, SlipContent& content);

inline const QString kPaySlipTitle = QStringLiteral("Fenmarrow职工效益工资单");
inline const QString kSalesSlipTitle = QStringLiteral("Fenmarrow职工销售单");

void DrawPaySlip(PrinterCanvasReport& doc, const SlipContent& content);
// The sales total adds medicine and prescribed services only.
void DrawSalesSlip(PrinterCanvasReport& doc, const SlipContent& content);
