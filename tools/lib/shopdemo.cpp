#include "tools/lib/shopdemo.h"

#include "db/sql.h"
#include "platform/clock.h"
#include "stock/goods.h"
#include "stock/pinyin.h"
#include "stock/receipt.h"

namespace {
const QString kCountGoods = QStringLiteral("select count(*) from 基本资料");
const QString kCountUnits = QStringLiteral("select count(*) from 单位");
const QString kInsertUnit = QStringLiteral("insert into 单位 (单位) values (?)");

const char* const kUnits[] = {"盒", "瓶", "支", "袋", "包", "个", "块", "条", "把", "片", "卷"};

struct DemoGoods {
  const char* name;
  const char* unit;
  const char* size;
  const char* place;
  const char* maker;
};

// Names and makers are made up for the demo.
const DemoGoods kGoods[] = {
    {"维生素C片", "瓶", "100片", "A1", "青山制药厂"},
    {"板蓝根颗粒", "袋", "10g×20袋", "A1", "东川药业"},
    {"感冒清热颗粒", "盒", "12g×10袋", "A1", "东川药业"},
    {"复方甘草片", "瓶", "100片", "A2", "青山制药厂"},
    {"布洛芬缓释胶囊", "盒", "0.3g×20粒", "A2", "南湖制药"},
    {"阿莫西林胶囊", "盒", "0.25g×24粒", "A2", "南湖制药"},
    {"牛黄解毒片", "盒", "24片", "A3", "北岭中药厂"},
    {"六味地黄丸", "瓶", "200丸", "A3", "北岭中药厂"},
    {"健胃消食片", "盒", "32片", "A3", "西山药业"},
    {"止咳糖浆", "瓶", "100ml", "A4", "西山药业"},
    {"葡萄糖注射液", "瓶", "250ml", "A4", "南湖制药"},
    {"风油精", "瓶", "3ml", "A4", "东川药业"},
    {"红花油", "瓶", "25ml", "A4", "北岭中药厂"},
    {"眼药水", "支", "10ml", "A5", "青山制药厂"},
    {"钙片", "瓶", "60片", "A5", "西山药业"},
    {"VC泡腾片", "支", "20片", "A5", "青山制药厂"},
    {"医用口罩", "包", "10只", "B1", "长河卫材厂"},
    {"医用棉签", "包", "100支", "B1", "长河卫材厂"},
    {"医用酒精", "瓶", "500ml", "B1", "长河卫材厂"},
    {"创可贴", "盒", "100片", "B2", "长河卫材厂"},
    {"体温计", "支", "电子", "B2", "平安医疗器械"},
    {"纱布绷带", "卷", "8cm×4m", "B2", "长河卫材厂"},
    {"纯净水", "瓶", "550ml", "C1", "清泉饮品公司"},
    {"矿泉水", "瓶", "1.5L", "C1", "清泉饮品公司"},
    {"绿茶饮料", "瓶", "500ml", "C1", "清泉饮品公司"},
    {"方便面", "袋", "100g", "C2", "丰年食品厂"},
    {"苏打饼干", "包", "200g", "C2", "丰年食品厂"},
    {"牙膏", "支", "120g", "D1", "白云日化"},
    {"牙刷", "支", "软毛", "D1", "白云日化"},
    {"洗发水", "瓶", "400ml", "D1", "白云日化"},
    {"香皂", "块", "125g", "D2", "白云日化"},
    {"毛巾", "条", "纯棉", "D2", "红星纺织厂"},
    {"卫生纸", "包", "10卷", "D2", "红星纸业"},
    {"电池", "个", "5号", "E1", "光明电器厂"},
    {"打火机", "个", "", "E1", "光明电器厂"},
    {"雨伞", "把", "折叠", "E2", "红星日用品"},
};

struct DemoLine {
  int goods;  // index into kGoods
  double price;
  double quantity;
  double salePrice;
  int expiryDays;  // from the receipt day; below zero: already expired
};

// Received a month ago: one batch is already past its expiry.
const DemoLine kFirstReceipt[] = {
    {0, 4.5, 50, 8, 720},  {1, 9.8, 40, 15, 540},  {4, 12, 30, 19.5, 600}, {10, 3.2, 20, 6, -5},
    {16, 6, 100, 10, 900}, {22, 0.8, 240, 1.5, 360}, {25, 2.2, 120, 3.5, 180}, {27, 5.5, 36, 9.9, 1000},
};
// Received three days ago: a second batch of goods already in stock.
const DemoLine kSecondReceipt[] = {
    {0, 4.8, 30, 8, 720}, {5, 15, 20, 24, 500}, {13, 7.5, 25, 12, 400}, {19, 8, 30, 13, 700},
    {22, 0.85, 120, 1.5, 360}, {32, 11, 24, 16.8, 1500},
};

void receive(const QSqlDatabase& db, const QStringList& codes, const DemoLine* lines, int count, int daysAgo) {
  const QDate day = Clock::today().addDays(-daysAgo);
  for (int i = 0; i < count; ++i) {
    const DemoLine& line = lines[i];
    const QString name = QString::fromUtf8(kGoods[line.goods].name);
    AddReceiptLine(db, {codes[line.goods], PinyinAbbreviation(name).trimmed(), line.price, line.quantity,
                        line.salePrice, day, day.addDays(line.expiryDays)});
  }
  SaveReceipt(db);
}
}  // namespace

bool LoadShopDemo(const QSqlDatabase& db) {
  if (ScalarText(db, kCountGoods) != QStringLiteral("0")) return false;
  if (ScalarText(db, kCountUnits) == QStringLiteral("0"))
    for (const char* unit : kUnits) Exec(db, kInsertUnit, {QString::fromUtf8(unit)});
  QStringList codes;
  for (const DemoGoods& goods : kGoods) {
    const QString name = QString::fromUtf8(goods.name);
    codes << AddGoods(db, {name, PinyinAbbreviation(name), QString::fromUtf8(goods.size),
                           QString::fromUtf8(goods.unit), QString::fromUtf8(goods.place),
                           QString::fromUtf8(goods.maker)});
  }
  receive(db, codes, kFirstReceipt, std::size(kFirstReceipt), 30);
  receive(db, codes, kSecondReceipt, std::size(kSecondReceipt), 3);
  return true;
}
