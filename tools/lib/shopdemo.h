#pragma once
// A small shop to walk every shop window at once: units, a few dozen goods
// with their search codes, and two saved receipts so that stock exists.
#include <QSqlDatabase>

// Loads the demo into a store that holds no goods yet and returns true;
// returns false and changes nothing when goods are already there. Throws
// DbError or CodeError.
bool LoadShopDemo(const QSqlDatabase& db);
