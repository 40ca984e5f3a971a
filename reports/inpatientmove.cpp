#include "reports/inpatientmove.h"

#include "db/clinicdb.h"
#include "db/sql.h"
#include "stock/pinyin.h"

namespace {
// The visit row answers with its amount as the move leaves it: a return
// booked a moment before the move has already lowered it.
const QString kMoveVisit = QStringLiteral(
    R"~(update 患者信息 set 收费类别 = '住院' where 流水号 = ? and 划价人帐号 = ? and 时间 = ? )~"
    R"~(and 收费类别 = '门诊' returning "收入金额(元)")~");
const QString kMoveMedicine = QStringLiteral(
    "update 出库信息 set 收费类别 = '住院' where 流水号 = ? and 划价人帐号 = ? and 时间 = ? and 收费类别 = '门诊'");
const QString kMoveServices = QStringLiteral(
    "update 服务信息 set 收费类别 = '住院' where 流水号 = ? and 划价人帐号 = ? and 时间 = ? and 收费类别 = '门诊'");
const QString kBookExpense = QStringLiteral(
    "insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '支出', ?, ?)");
}  // namespace

bool MoveToInpatient(const QSqlDatabase& db, const ListedVisit& visit, const QString& userName, QString* failure) {
  return TransactionPosting(
      db,
      [&] {
        const QVariantList where{visit.key.serial, visit.key.account, visit.day};
        const QList<QVariantList> moved = ReadAll(db, kMoveVisit, where);
        if (moved.size() != 1)
          throw DbError(QStringLiteral("门诊就诊记录应为一条，现有 %1 条").arg(moved.size()));
        const QVariant amount = moved.first().first();
        Exec(db, kMoveMedicine, where);
        Exec(db, kMoveServices, where);
        Exec(db, kBookExpense, {visit.name, visit.day, amount, userName});
      },
      failure);
}

bool AdmitPatient(const QSqlDatabase& db, const Admission& a) {
  const QString name = a.name.trimmed();
  return InsertAdmission(db, {PinyinAbbreviation(name), name, a.sex, a.age, a.insuranceCard, a.address});
}
