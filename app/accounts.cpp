#include "app/accounts.h"

#include <QSqlQuery>

#include "db/passwords.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/messages.h"

namespace {
const QString kSelectByName = QStringLiteral("select 账号, 密码 from 用户 where 姓名 = ? order by rowid");
const QString kSelectRightCode =
    QStringLiteral("select 权限序号 from 权限信息 where 账号 = ? and 权限 = ? order by rowid");
const QString kDeleteRights = QStringLiteral("delete from 权限信息 where 账号 = ?");
const QString kInsertRight = QStringLiteral("insert into 权限信息 (权限序号, 账号, 权限) values (?, ?, ?)");
const QString kDeleteAccount = QStringLiteral("delete from 用户 where 账号 = ?");
}  // namespace

Connection OpenShopOrReport() {
  try {
    return OpenShopDatabase();
  } catch (const DbError& e) {
    ShowError(e.text());
    return Connection();
  }
}

QString MatchAccount(const QSqlDatabase& db, const QString& name, const QString& password) {
  QSqlQuery rows = Exec(db, kSelectByName, {name});
  while (rows.next())
    if (VerifyPassword(password, rows.value(1).toString())) return rows.value(0).toString().trimmed();
  return QString();
}

QStringList AccountRights(const QSqlDatabase& db, const QString& account) {
  QStringList rights;
  for (const Right& right : kRights) {
    const QString name = QString::fromUtf8(right.name);
    if (!ScalarText(db, kSelectRightCode, {account, name}).isEmpty()) rights << name;
  }
  return rights;
}

void ApplyRights(QSqlDatabase db, const QString& account, const QStringList& rights) {
  InTransaction(db, [&] {
    Exec(db, kDeleteRights, {account});
    for (const QString& name : rights)
      for (const Right& right : kRights)
        if (name == QString::fromUtf8(right.name))
          Exec(db, kInsertRight, {QString::fromUtf8(right.code), account, name});
  });
}

void DeleteAccount(QSqlDatabase db, const QString& account) {
  InTransaction(db, [&] {
    Exec(db, kDeleteAccount, {account});
    Exec(db, kDeleteRights, {account});
  });
}
