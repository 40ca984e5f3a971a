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
const QString kVisitCategory =
    QStringLiteral("select 收费类别 from 患者信息 where 流水号 = ? and 划价人帐号 = ? and 时间 = ?");
const QString kInpatient = QStringLiteral("住院");
const QString kMovedAlready = QStringLiteral("这次就诊已转入住院，不再是门诊就诊");
const QString kNotOutpatient = QStringLiteral("这次就诊是%1，不是门诊就诊，不能转入住院");
const QString kVisitGone = QStringLiteral("这次就诊的记录已不存在");
const QString kSeveralRows = QStringLiteral("这次就诊有%1条门诊记录，无法确定转入哪一条");

// Why a visit matched no single outpatient row, in the clerk's words: its
// category as stored says whether it moved already or never was one (a
// staff visit, 职工用药).
QString WhyNotMoved(const QSqlDatabase& db, const QVariantList& where, qsizetype outpatientRows) {
  if (outpatientRows > 1) return kSeveralRows.arg(outpatientRows);
  const QList<QVariantList> rows = ReadAll(db, kVisitCategory, where);
  if (rows.isEmpty()) return kVisitGone;
  const QString category = rows.first().first().toString().trimmed();
  return category == kInpatient ? kMovedAlready : kNotOutpatient.arg(category);
}

const QString kBookExpense = QStringLiteral(
    "insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '支出', ?, ?)");
}  // namespace

bool MoveToInpatient(const QSqlDatabase& db, const ListedVisit& visit, const QString& userName, QString* failure) {
  return TransactionPosting(
      db,
      [&] {
        const QVariantList where{visit.key.serial, visit.key.account, visit.day};
        const QList<QVariantList> moved = ReadAll(db, kMoveVisit, where);
        if (moved.size() != 1) throw DbError(WhyNotMoved(db, where, moved.size()));
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
