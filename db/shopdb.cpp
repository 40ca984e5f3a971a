#include "db/shopdb.h"

#include <QSqlError>

#include "platform/datadir.h"
#include "db/passwords.h"
#include "db/sql.h"

const Right kRights[5] = {
    {"资料维护", "zlwh"}, {"产品入库", "cprk"}, {"产品出库", "spck"}, {"系统设置", "xtsz"}, {"老板查询", "lbcx"},
};

namespace {
// The receipt record: pending lines, history and stock share these columns
// in this order.
#define RECEIPT_COLUMNS                                                                       \
  "编号 text not null, 流水号 text not null, 拼音码 text, 进价 real, 数量 real, 售价 real, " \
  "金额 real, 进货时间 text, 有效期 text"
// The issue record: pending lines and issue records share these columns.
#define ISSUE_COLUMNS                                                                         \
  "编号 text not null, 流水号 text not null, 拼音码 text, 数量 real, 进价 real, 售价 real, " \
  "金额 real, 销售金额 real, 出货时间 text"

const char* const kSchema[] = {
    "create table if not exists 用户 (账号 text not null unique, 姓名 text, 密码 text)",
    "create table if not exists 权限信息 (权限序号 text, 账号 text, 权限 text)",
    "create index if not exists 权限信息_账号 on 权限信息 (账号, 权限)",
    "create table if not exists 基本资料 (编号 text primary key, 拼音缩写 text, 品名 text, 单位 text, "
    "规格 text, 仓位 text, 产地 text)",
    "create index if not exists 基本资料_拼音缩写 on 基本资料 (拼音缩写)",
    // Every goods column a result shows beside its lines: a line finds its
    // goods item here in one lookup, without a second one into the table.
    "create index if not exists 基本资料_覆盖 on 基本资料 (编号, 拼音缩写, 品名, 单位, 规格, 产地)",
    "create table if not exists 单位 (单位 text)",
    "create table if not exists 临时入库 (" RECEIPT_COLUMNS ")",
    "create table if not exists 进货历史记录 (" RECEIPT_COLUMNS ", unique (编号, 流水号))",
    "create index if not exists 进货历史记录_进货时间 on 进货历史记录 (进货时间)",
    "create index if not exists 进货历史记录_流水号 on 进货历史记录 (流水号)",
    // The owner's query looks up one goods item's lines within a date window.
    "create index if not exists 进货历史记录_编号_进货时间 on 进货历史记录 (编号, 进货时间)",
    "create table if not exists 库存 (" RECEIPT_COLUMNS ", primary key (编号, 流水号))",
    "create index if not exists 库存_有效期 on 库存 (有效期)",
    // 行号 lets one pending line be removed without touching its twin.
    "create table if not exists 临时出库 (行号 integer primary key autoincrement, " ISSUE_COLUMNS ")",
    "create table if not exists 出库记录 (" ISSUE_COLUMNS ")",
    "create index if not exists 出库记录_出货时间 on 出库记录 (出货时间)",
    "create index if not exists 出库记录_编号_出货时间 on 出库记录 (编号, 出货时间)",
};

bool hasTable(const QSqlDatabase& db, const QString& table) {
  return !ScalarText(db, QStringLiteral("select name from sqlite_master where type = 'table' and name = ?"), {table})
              .isEmpty();
}

void seedAdmin(const QSqlDatabase& db) {
  const QString account = QStringLiteral("admin");
  Exec(db, QStringLiteral("insert into 用户 (账号, 姓名, 密码) values (?, ?, ?)"),
       {account, QStringLiteral("管理员"), HashPassword(account)});
  for (const Right& right : kRights)
    Exec(db, QStringLiteral("insert into 权限信息 (权限序号, 账号, 权限) values (?, ?, ?)"),
         {QString::fromUtf8(right.code), account, QString::fromUtf8(right.name)});
}
}  // namespace

QString ShopDatabasePath() { return DataDir() + QStringLiteral("表.db"); }

// Reading the file through a memory map spares a copy of every page and the
// call that makes it, which halves the searches that jump about the file; a
// larger page cache gave nothing more, and kept memory per window. SQLite
// maps the file read-only and writes as before, so no written data depends
// on it. The limit is address space, not memory.
const QStringList& ShopReadPragmas() {
  static const QStringList pragmas = {QStringLiteral("pragma mmap_size = 1073741824")};
  return pragmas;
}

void CreateShopSchema(const QSqlDatabase& db) {
  QSqlDatabase conn = db;
  InTransaction(conn, [&] {
    const bool newStore = !hasTable(db, QStringLiteral("用户"));
    for (const char* statement : kSchema) Exec(db, QString::fromUtf8(statement));
    if (newStore) seedAdmin(db);
  });
}

Connection OpenShopDatabase() {
  Connection connection(UniqueConnectionName(QStringLiteral("shop")));
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name());
  db.setDatabaseName(ShopDatabasePath());
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
  if (!db.open()) throw DbError(db.lastError());
  Exec(db, QStringLiteral("pragma journal_mode = wal"));
  Exec(db, QStringLiteral("pragma foreign_keys = on"));
  for (const QString& pragma : ShopReadPragmas()) Exec(db, pragma);
  CreateShopSchema(db);
  return connection;
}
