#include "frontdesk/deskstatements.h"

namespace DeskStatements {

// Each part reads the end of one (划价人帐号, 流水号) index.
const QString kLargestSerial = QStringLiteral(
    "select max(最大流水号) from ("
    "select max(流水号) as 最大流水号 from 收银信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 临时出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库患者信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 出库信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息临时表 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 退药信息 where 划价人帐号 = ? "
    "union all select max(流水号) from 服务费退还信息 where 划价人帐号 = ?) as 各表流水号");

const QString kStartSerialCounter =
    QStringLiteral("insert into 流水号计数 (划价人帐号, 流水号) values (?, 0) on conflict (划价人帐号) do nothing");
const QString kAdvanceSerialCounter = QStringLiteral(
    "update 流水号计数 set 流水号 = case when 流水号 > ? then 流水号 else ? end + 1 where 划价人帐号 = ? "
    "returning 流水号");
const QString kOpenVisitLines =
    QStringLiteral("select count(*) from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否'");
const QString kClosedVisitRows = QStringLiteral(
    "select count(*) from ("
    "select 流水号 from 收银信息 where 流水号 = ? and 划价人帐号 = ? "
    "union all select 流水号 from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 收银标志 <> '否' "
    "union all select 流水号 from 患者信息 where 流水号 = ? and 划价人帐号 = ? "
    "union all select 流水号 from 出库信息 where 流水号 = ? and 划价人帐号 = ?) as 已结");

// Lowered in place, never set from what a screen showed; the test against
// zero is part of the statement, so two desks cannot both take the last.
const QString kLowerStock = QStringLiteral(
    "update 库存 set 数量 = case when 数量 - ? <= ? then 0 else 数量 - ? end "
    "where 编号 = ? and 数量 + ? >= ?");
const QString kRaiseStock = QStringLiteral("update 库存 set 数量 = 数量 + ? where 编号 = ?");
const QString kAddToLine = QStringLiteral(
    "update 临时出库信息 set 数量 = 数量 + ? where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否' "
    "and \"单价(元)\" = ?");
const QString kInsertLine = QStringLiteral(
    "insert into 临时出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 开方医师, 划价人帐号, 收银标志, 收费类别) "
    "values (?, ?, ?, ?, ?, ?, ?, '否', ?)");
const QString kDeleteLine = QStringLiteral(
    "delete from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 编号 = ? and 收银标志 = '否' returning 数量");
// The store sums the lines; nothing typed on screen reaches the voucher.
// The insert itself requires the lines: it takes the voucher table before
// it reads them, so a day close that voids this visit meanwhile leaves no
// voucher without medicine behind.
const QString kInsertVoucher = QStringLiteral(
    "insert into 收银信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号) "
    "select ?, ?, ?, ?, round(cast(sum(\"总价(元)\") as numeric), 2), 0, ? from 临时出库信息 "
    "where 流水号 = ? and 划价人帐号 = ? and 收银标志 = '否' having count(*) > 0");
const QString kVisitTotal =
    QStringLiteral("select sum(\"总价(元)\") from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");

// The voucher goes first: of two desks settling it, the one that removes
// it settles, and the other finds nothing and rolls back.
const QString kTakeVoucher = QStringLiteral(
    "delete from 收银信息 where 流水号 = ? and 划价人帐号 = ? "
    "returning 收费类别, 姓名, \"药费(元)\", \"服务费(元)\"");
const QString kQueueVisit = QStringLiteral(
    "insert into 出库患者信息 (姓名, 流水号, 时间, 划价人帐号, 收银人帐号) values (?, ?, ?, ?, ?)");
const QString kMarkLinesPaid = QStringLiteral(
    "update 临时出库信息 set 收银人帐号 = ?, 收银标志 = '是' where 流水号 = ? and 划价人帐号 = ?");
// 服务信息 draws its own row id, so the copy names its columns.
const QString kCopyServices = QStringLiteral(
    "insert into 服务信息 (服务类别, 流水号, 时间, \"服务费(元)\", 开方医师, 服务人, 划价人帐号, 收费类别) "
    "select 服务类别, 流水号, 时间, \"服务费(元)\", 开方医师, 服务人, 划价人帐号, 收费类别 from 服务信息临时表 "
    "where 流水号 = ? and 划价人帐号 = ?");
const QString kDeletePricedServices =
    QStringLiteral("delete from 服务信息临时表 where 流水号 = ? and 划价人帐号 = ?");
const QString kInsertIncome = QStringLiteral(
    "insert into 患者信息 (收费类别, 流水号, 姓名, 时间, \"药费(元)\", \"服务费(元)\", 划价人帐号, 收银人帐号) "
    "values (?, ?, ?, ?, ?, ?, ?, ?)");
const QString kInsertSpending = QStringLiteral(
    "insert into 住院患者押金表 (姓名, 时间, 收费类别, 金额, 操作人帐号) values (?, ?, '支出', ?, ?)");

// Taking the queue row first decides which of two desks dispenses a visit.
const QString kTakeFromQueue = QStringLiteral("delete from 出库患者信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kSignLines =
    QStringLiteral("update 临时出库信息 set 出库人帐号 = ? where 流水号 = ? and 划价人帐号 = ?");
const QString kStageLines =
    QStringLiteral("insert into ckb (编号, 数量) select 编号, 数量 from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
// In goods order, so that two desks lock the batches of common goods in
// the same order and never wait on each other in a circle.
const QString kStagedLines = QStringLiteral("select 编号, 数量 from ckb order by 编号");
const QString kMoveLines = QStringLiteral(
    "insert into 出库信息 (流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别) "
    "select 流水号, 编号, 时间, 数量, \"单价(元)\", 出库人帐号, 划价人帐号, 收银人帐号, 开方医师, 收费类别 "
    "from 临时出库信息 where 流水号 = ? and 划价人帐号 = ?");
const QString kDeleteLines = QStringLiteral(
    "delete from 临时出库信息 where 流水号 = ? and 划价人帐号 = ? and 出库人帐号 = ?");
// The oldest batch still holding stock that has not expired (its expiry
// day after today; one of unknown expiry is not known to have expired),
// read through the goods' index by production day, which holds the expiry
// day; a batch of unknown production day counts as the oldest. Batch
// number breaks ties, so every desk takes the same one.
const QString kOldestBatch = QStringLiteral(
    "select %1, 数量 from 药品过期表 where 编号 = ? and 数量 > ? and (过期时间 > ? or 过期时间 is null) "
    "order by 生产时间 nulls first, 药品批号 limit 1");
const QString kCountBatchesWithStock = QStringLiteral(
    "select count(*) from 药品过期表 where 编号 = ? and 数量 > ? and (过期时间 > ? or 过期时间 is null)");
const QString kCountExpiredBatchesWithStock =
    QStringLiteral("select count(*) from 药品过期表 where 编号 = ? and 数量 > ? and 过期时间 <= ?");
const QString kSetBatch = QStringLiteral("update 药品过期表 set 数量 = ? where %1 = ?");
}  // namespace DeskStatements
