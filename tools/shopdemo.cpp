// shopdemo <datadir>: puts the demo shop into the shop store of a data
// folder, unless that store already holds goods. Safe to run again.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "db/shopdb.h"
#include "db/sql.h"
#include "stock/pinyin.h"
#include "tools/lib/shopdemo.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: shopdemo <datadir>\n");
    return 2;
  }
  const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "shopdemo: cannot make %s\n", qPrintable(dir));
    return 1;
  }
  qputenv("BRIMWICK_DATA_DIR", dir.toUtf8());
  try {
    Connection connection = OpenShopDatabase();
    const bool loaded = LoadShopDemo(connection.db());
    std::printf("shopdemo: %s\n", loaded ? "demo goods and stock loaded" : "the store already holds goods");
  } catch (const DbError& e) {
    std::fprintf(stderr, "shopdemo: %s\n", qPrintable(e.text()));
    return 1;
  } catch (const CodeError& e) {
    std::fprintf(stderr, "shopdemo: %s\n", qPrintable(e.text()));
    return 1;
  }
  return 0;
}
