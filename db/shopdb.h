#pragma once
// The shop's store: 表.db in the data folder. Every shop window opens its
// own connection with OpenShopDatabase; the tables are made when missing.
#include <QStringList>

#include "db/connection.h"

// Opens a new connection to the shop store; throws DbError when the file
// cannot be opened or its tables cannot be made.
Connection OpenShopDatabase();
// Path of the shop store's file.
QString ShopDatabasePath();
// The settings each connection reads the store with, as statements; they
// change how pages are read, never what is written.
const QStringList& ShopReadPragmas();
// Makes every shop table that is missing; a new store gets the account
// admin (name 管理员, password admin) with all five rights.
void CreateShopSchema(const QSqlDatabase& db);

// The five rights in the order the login reads them.
struct Right {
  const char* name;  // 权限
  const char* code;  // 权限序号
};
extern const Right kRights[5];
