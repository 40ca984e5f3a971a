#include "support/accountfixture.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include "db/passwords.h"
#include "db/shopdb.h"
#include "db/sql.h"

namespace AccountFixture {
void AddUser(const QString& account, const QString& name, const QString& password, const QStringList& rights) {
  Connection c = OpenShopDatabase();
  Exec(c.db(), "insert into 用户 (账号, 姓名, 密码) values (?, ?, ?)", {account, name, HashPassword(password)});
  for (const Right& right : kRights)
    if (rights.contains(QString::fromUtf8(right.name)))
      Exec(c.db(), "insert into 权限信息 (权限序号, 账号, 权限) values (?, ?, ?)",
           {QString::fromUtf8(right.code), account, QString::fromUtf8(right.name)});
}

void Run(const QString& sql, const QVariantList& values) {
  Connection c = OpenShopDatabase();
  Exec(c.db(), sql, values);
}

QString Scalar(const QString& sql, const QVariantList& values) {
  Connection c = OpenShopDatabase();
  QSqlQuery q = Exec(c.db(), sql, values);
  return q.next() ? q.value(0).toString() : QString();
}

QStringList Rows(const QString& sql, const QVariantList& values) {
  Connection c = OpenShopDatabase();
  QSqlQuery q = Exec(c.db(), sql, values);
  QStringList rows;
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
    rows << cells.join('|');
  }
  return rows;
}

bool PasswordIs(const QString& account, const QString& password) {
  return VerifyPassword(password, Scalar("select 密码 from 用户 where 账号 = ?", {account}));
}
}  // namespace AccountFixture
