#include "bench/clinicgen.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "bench/bare.h"
#include "db/clinicconventions.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/clock.h"

namespace {
const char kInitials[] = "ABCDEFGHJKLMNOPQRSTWXYZ";
const char* const kCategories[] = {"西药", "中成药", "饮片"};
const int kPricingAccounts = 8;
const int kCashiers = 4;
const int kPharmacists = 3;

QString Numbered(const QString& prefix, int n, int width = 2) {
  return prefix + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}
QString GoodsCode(int n) { return Numbered(QString(), n + 1, 5); }
QString Account(int n) { return Numbered(QStringLiteral("acc"), n % kPricingAccounts + 1); }
QString Cashier(int n) { return Numbered(QStringLiteral("收银"), n % kCashiers + 1); }
QString Pharmacist(int n) { return Numbered(QStringLiteral("药房"), n % kPharmacists + 1); }
double Cents(double value) { return std::round(value * 100) / 100; }

// Inserts rows many to a statement, with every value bound: both stores
// take a few thousand values a statement, and a round trip per row would
// make the PostgreSQL store take minutes to fill.
class BulkInsert {
 public:
  BulkInsert(const QSqlDatabase& db, const QString& table, const QStringList& columns)
      : db_(db), columns_(columns) {
    QStringList quoted;
    for (const QString& column : columns) quoted << QuotedName(column);
    head_ = QStringLiteral("insert into %1 (%2) values ").arg(QuotedName(table), quoted.join(QStringLiteral(", ")));
    rowsPerStatement_ = std::max(1, 3000 / static_cast<int>(columns.size()));
  }
  ~BulkInsert() { Flush(); }

  void Add(const QVariantList& row) {
    pending_ += row;
    if (pending_.size() / columns_.size() >= rowsPerStatement_) Flush();
  }

  void Flush() {
    const int rows = static_cast<int>(pending_.size() / columns_.size());
    if (rows == 0) return;
    if (rows != preparedRows_) {
      const QString one = QLatin1Char('(') + QStringList(columns_.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                          QLatin1Char(')');
      query_ = QSqlQuery(db_);
      if (!query_.prepare(head_ + QStringList(rows, one).join(QLatin1Char(','))))
        throw DbError(query_.lastError().text());
      preparedRows_ = rows;
    }
    for (int i = 0; i < pending_.size(); ++i) query_.bindValue(i, pending_[i]);
    if (!query_.exec()) throw DbError(query_.lastError().text());
    pending_.clear();
  }

 private:
  QSqlDatabase db_;
  QStringList columns_;
  QString head_;
  int rowsPerStatement_ = 1;
  int preparedRows_ = 0;
  QSqlQuery query_;
  QVariantList pending_;
};

QStringList Columns(const char* names) { return QString::fromUtf8(names).split(QLatin1Char(',')); }

struct Goods {
  double price = 0;      // purchase price of its receipts
  double salePrice = 0;  // 售价(元)
  double stock = 0;      // sum of its batches
};

class Generator {
 public:
  Generator(const QSqlDatabase& db, const ClinicHistoryScale& scale,
            const std::function<void(const QString&)>& progress)
      : db_(db), scale_(scale), progress_(progress), random_(20261207) {
    last_ = scale.lastDay.isValid() ? scale.lastDay : Clock::today();
    first_ = last_.addDays(-(std::max(1, scale.days) - 1));
  }

  void Run() {
    Step(QStringLiteral("catalogue"), [this] { Catalogue(); });
    Step(QStringLiteral("batches"), [this] { Batches(); });
    Step(QStringLiteral("visits"), [this] { Visits(); });
    Step(QStringLiteral("unpaid vouchers"), [this] { Unpaid(); });
    Step(QStringLiteral("stock"), [this] { Stock(); });
    Step(QStringLiteral("corrections"), [this] { Corrections(); });
    Step(QStringLiteral("supplies and inpatients"), [this] { SuppliesAndInpatients(); });
  }

 private:
  // One transaction per step keeps the write-ahead log and the server's
  // memory in bounds.
  void Step(const QString& name, const std::function<void()>& work) {
    if (progress_) progress_(name);
    BeginWrite(db_);
    try {
      work();
      CommitWrite(db_);
    } catch (...) {
      RollbackWrite(db_);
      throw;
    }
  }

  int Pick(int bound) { return bound <= 1 ? 0 : static_cast<int>(random_.bounded(bound)); }
  double Between(double low, double high) { return low + random_.generateDouble() * (high - low); }
  QString Day(const QDate& day) const { return DayText(day); }
  QDate RandomDay() { return first_.addDays(Pick(static_cast<int>(first_.daysTo(last_)) + 1)); }
  // The i-th of count rows that desks wrote one after another over the
  // history: a store fills in day order, so a month's rows lie together.
  QDate DayInTurn(int i, int count) const {
    const qint64 days = first_.daysTo(last_) + 1;
    return first_.addDays(static_cast<int>(qint64(i) * days / std::max(1, count)));
  }
  QString Doctor() { return Numbered(QStringLiteral("医师"), Pick(doctors_) + 1); }
  QString Nurse() { return Numbered(QStringLiteral("护士"), Pick(nurses_) + 1); }

  void Catalogue() {
    goods_.resize(std::max(1, scale_.goods));
    {
      BulkInsert insert(db_, QStringLiteral("药品信息"),
                        Columns("编号,品名,单位,规格,厂商,类别,拼音缩写,售价(元),下限,剂型"));
      for (int g = 0; g < static_cast<int>(goods_.size()); ++g) {
        QString code;
        for (int i = 0, n = 2 + Pick(4); i < n; ++i) code += QLatin1Char(kInitials[Pick(sizeof kInitials - 1)]);
        goods_[g].price = Cents(Between(0.5, 80));
        goods_[g].salePrice = Cents(goods_[g].price * Between(1.1, 1.6));
        insert.Add({GoodsCode(g), Numbered(QStringLiteral("药品"), g + 1, 5), QStringLiteral("盒"),
                    QStringLiteral("10片"), Numbered(QStringLiteral("制药厂"), g % 40 + 1),
                    QString::fromUtf8(kCategories[g % 3]), code, goods_[g].salePrice, double(5 + Pick(50)),
                    QStringLiteral("片剂")});
      }
    }
    for (const char* category : kCategories)
      Exec(db_, QStringLiteral("insert into 药品类别 (药品类别) values (?)"), {QString::fromUtf8(category)});
    Exec(db_, QStringLiteral("insert into 药品剂型 (剂型) values (?)"), {QStringLiteral("片剂")});
    Exec(db_, QStringLiteral("insert into 药品单位 (药品单位) values (?)"), {QStringLiteral("盒")});
    for (int s = 1; s <= 10; ++s)
      Exec(db_, QStringLiteral("insert into 药品来源 (药品来源) values (?)"), {Numbered(QStringLiteral("供货商"), s)});

    const int staff = std::max(3, scale_.staff);
    doctors_ = std::max(1, staff / 2);
    const int laboratory = std::max(1, staff / 6);
    nurses_ = std::max(1, staff - doctors_ - laboratory);
    BulkInsert people(db_, QStringLiteral("服务人"), Columns("姓名,职务"));
    for (int i = 1; i <= doctors_; ++i) people.Add({Numbered(QStringLiteral("医师"), i), QStringLiteral("医师")});
    for (int i = 1; i <= laboratory; ++i)
      people.Add({Numbered(QStringLiteral("化验师"), i), QStringLiteral("化验师")});
    for (int i = 1; i <= nurses_; ++i) people.Add({Numbered(QStringLiteral("护士"), i), QStringLiteral("护士")});
    people.Flush();

    items_ = std::max(1, scale_.serviceItems);
    BulkInsert items(db_, QStringLiteral("服务项目"), Columns("拼音缩写,服务项目,项目单价(元)"));
    BulkInsert shares(db_, QStringLiteral("比例分配表"), Columns("拼音缩写,项目,医生比例,服务人比例"));
    for (int i = 1; i <= items_; ++i) {
      const QString code = Numbered(QStringLiteral("XM"), i);
      const QString name = Numbered(QStringLiteral("项目"), i);
      itemPrices_.push_back(Cents(Between(2, 120)));
      items.Add({code, name, itemPrices_.back()});
      shares.Add({code, name, double(5 + Pick(20)), double(5 + Pick(20))});
    }
  }

  void Batches() {
    BulkInsert batches(db_, QStringLiteral("药品过期表"), Columns("编号,药品批号,数量,生产时间,有效期"));
    BulkInsert receipts(db_, QStringLiteral("入库信息"),
                        Columns("编号,时间,药品批号,数量,单价(元),药品来源,入库人帐号"));
    for (int b = 0; b < scale_.batches; ++b) {
      const int g = b % static_cast<int>(goods_.size());
      const QDate received = RandomDay();
      const QDate made = received.addDays(-Pick(200));
      const double received_quantity = double(50 + Pick(500));
      // Older batches have given most of their stock away already.
      const double left = std::floor(received_quantity * Between(0, 1) * (0.2 + 0.8 * first_.daysTo(received) /
                                                                                 double(std::max<qint64>(1, first_.daysTo(last_)))));
      const QString batch = Numbered(QStringLiteral("B"), b + 1, 7);
      batches.Add({GoodsCode(g), batch, left, Day(made), double(365 + Pick(730))});
      receipts.Add({GoodsCode(g), Day(received), batch, received_quantity, goods_[g].price,
                    Numbered(QStringLiteral("供货商"), b % 10 + 1), Numbered(QStringLiteral("库管"), b % 3 + 1)});
      goods_[g].stock += left;
    }
  }

  // The next serial of a pricing account; serials only grow.
  double NextSerial(int account) { return ++serials_[account]; }

  void Visits() {
    BulkInsert patients(db_, QStringLiteral("患者信息"),
                        Columns("收费类别,流水号,姓名,时间,药费(元),服务费(元),划价人帐号,收银人帐号"));
    BulkInsert lines(db_, QStringLiteral("出库信息"),
                     Columns("流水号,编号,时间,数量,单价(元),出库人帐号,划价人帐号,收银人帐号,开方医师,收费类别"));
    BulkInsert services(db_, QStringLiteral("服务信息"),
                        Columns("服务类别,流水号,时间,服务费(元),开方医师,服务人,划价人帐号,收费类别"));
    const int history = std::max(0, scale_.paidVisits);
    const int total = history + std::max(0, scale_.todayVisits);
    const int days = static_cast<int>(first_.daysTo(last_)) + 1;
    qint64 linesLeft = scale_.dispensedLines, servicesLeft = scale_.serviceLines;
    for (int v = 0; v < total; ++v) {
      // Visits in day order, spread evenly, so serials grow with the day.
      const QDate day = v < history ? first_.addDays(static_cast<int>(qint64(v) * days / std::max(1, history))) : last_;
      const int account = v % kPricingAccounts;
      const double serial = NextSerial(account);
      const int r = Pick(100);
      const QString kind = r < 85 ? QStringLiteral("门诊") : r < 95 ? QStringLiteral("住院") : QStringLiteral("职工用药");
      const QString doctor = Doctor();
      const int remaining = total - v;
      const int lineCount = static_cast<int>(linesLeft / remaining + (Pick(remaining) < linesLeft % remaining ? 1 : 0));
      const int serviceCount =
          static_cast<int>(servicesLeft / remaining + (Pick(remaining) < servicesLeft % remaining ? 1 : 0));
      linesLeft -= lineCount;
      servicesLeft -= serviceCount;
      double medicine = 0, fees = 0;
      for (int l = 0; l < lineCount; ++l) {
        const int g = Pick(static_cast<int>(goods_.size()));
        const double quantity = double(1 + Pick(6));
        medicine += quantity * goods_[g].salePrice;
        lines.Add({serial, GoodsCode(g), Day(day), quantity, goods_[g].salePrice, Pharmacist(v), Account(account),
                   Cashier(v), doctor, kind});
      }
      for (int s = 0; s < serviceCount; ++s) {
        const int item = Pick(items_);
        fees += itemPrices_[item];
        services.Add({Numbered(QStringLiteral("项目"), item + 1), serial, Day(day), itemPrices_[item], doctor, Nurse(),
                      Account(account), kind});
      }
      patients.Add({kind, serial, Numbered(QStringLiteral("患者"), v % 50000 + 1, 5), Day(day), Cents(medicine),
                    Cents(fees), Account(account), Cashier(v)});
    }
    // The closed days of the history.
    BulkInsert closed(db_, QStringLiteral("时间表"), Columns("时间"));
    for (QDate day = first_; day < last_; day = day.addDays(1)) closed.Add({Day(day)});
    BulkInsert finance(db_, QStringLiteral("财务综合报表"),
                       Columns("时间,药品利润(元),服务项目利润(元),本月购药金额(元),耗材金额(元),本月库存金额(元),本月库存零售金额(元)"));
    for (QDate month(first_.year(), first_.month(), 25); month <= last_; month = month.addMonths(1))
      finance.Add({Day(month), Cents(Between(1e4, 5e4)), Cents(Between(5e3, 2e4)), Cents(Between(2e4, 8e4)),
                   Cents(Between(1e3, 5e3)), Cents(Between(1e5, 3e5)), Cents(Between(1.5e5, 4e5))});
  }

  void Unpaid() {
    BulkInsert vouchers(db_, QStringLiteral("收银信息"),
                        Columns("收费类别,流水号,姓名,时间,药费(元),服务费(元),划价人帐号"));
    BulkInsert lines(db_, QStringLiteral("临时出库信息"),
                     Columns("流水号,编号,时间,数量,单价(元),开方医师,划价人帐号,收银标志,收费类别"));
    BulkInsert services(db_, QStringLiteral("服务信息临时表"),
                        Columns("服务类别,流水号,时间,服务费(元),开方医师,服务人,划价人帐号,收费类别"));
    for (int v = 0; v < scale_.unpaidVouchers; ++v) {
      const int account = v % kPricingAccounts;
      const double serial = NextSerial(account);
      const QString doctor = Doctor();
      double medicine = 0;
      for (int l = 0; l < 3; ++l) {
        const int g = Pick(static_cast<int>(goods_.size()));
        const double quantity = std::min(goods_[g].stock, double(1 + Pick(3)));
        if (quantity <= 0) continue;
        goods_[g].stock -= quantity;
        pricedAway_[g] += quantity;
        medicine += quantity * goods_[g].salePrice;
        lines.Add({serial, GoodsCode(g), Day(last_), quantity, goods_[g].salePrice, doctor, Account(account),
                   QStringLiteral("否"), QStringLiteral("门诊")});
      }
      const int item = Pick(items_);
      services.Add({Numbered(QStringLiteral("项目"), item + 1), serial, Day(last_), itemPrices_[item], doctor, Nurse(),
                    Account(account), QStringLiteral("门诊")});
      vouchers.Add({QStringLiteral("门诊"), serial, Numbered(QStringLiteral("候诊"), v + 1, 4), Day(last_),
                    Cents(medicine), itemPrices_[item], Account(account)});
    }
  }

  void Stock() {
    BulkInsert stock(db_, QStringLiteral("库存"), Columns("编号,数量"));
    for (int g = 0; g < static_cast<int>(goods_.size()); ++g) stock.Add({GoodsCode(g), goods_[g].stock});
  }

  void Corrections() {
    const int goods = static_cast<int>(goods_.size());
    BulkInsert returns(db_, QStringLiteral("退药信息"),
                       Columns("编号,开药时间,退药时间,数量,单价(元),批号,操作人帐号,流水号,划价人帐号"));
    BulkInsert refunds(db_, QStringLiteral("服务费退还信息"),
                       Columns("服务类别,流水号,服务时间,退还时间,服务费(元),开方医师,服务人,退还人帐号,划价人帐号"));
    for (int i = 0; i < scale_.patientReturns; ++i) {
      const int g = Pick(goods);
      const QDate priced = DayInTurn(i, scale_.patientReturns);
      const int item = Pick(items_);
      const double serial = double(1 + Pick(std::max(1, scale_.paidVisits / kPricingAccounts)));
      returns.Add({GoodsCode(g), Day(priced), Day(priced.addDays(Pick(3))), double(1 + Pick(3)),
                   goods_[g].salePrice, Numbered(QStringLiteral("B"), Pick(std::max(1, scale_.batches)) + 1, 7),
                   Pharmacist(i), serial, Account(i)});
      refunds.Add({Numbered(QStringLiteral("项目"), item + 1), serial, Day(priced), Day(priced.addDays(Pick(3))),
                   itemPrices_[item], Doctor(), Nurse(), Cashier(i), Account(i)});
    }
    const QStringList correction = Columns("编号,入库时间,%1,药品批号,数量,单价(元),%2,药品来源,入库人帐号,%3,%4");
    auto add = [&](const QString& table, const QStringList& columns, int count, const QString& reason) {
      BulkInsert insert(db_, table, columns);
      for (int i = 0; i < count; ++i) {
        const int g = Pick(goods);
        const QDate received = DayInTurn(i, count);
        insert.Add({GoodsCode(g), Day(received), Day(received.addDays(Pick(60))),
                    Numbered(QStringLiteral("B"), Pick(std::max(1, scale_.batches)) + 1, 7), double(1 + Pick(20)),
                    goods_[g].price, goods_[g].salePrice, Numbered(QStringLiteral("供货商"), i % 10 + 1),
                    Numbered(QStringLiteral("库管"), i % 3 + 1), Account(i), reason});
      }
    };
    auto columnsOf = [&](const char* day, const char* sale, const char* who, const char* why) {
      QStringList columns = correction;
      columns[2] = QString::fromUtf8(day);
      columns[6] = QString::fromUtf8(sale);
      columns[9] = QString::fromUtf8(who);
      columns[10] = QString::fromUtf8(why);
      return columns;
    };
    add(QStringLiteral("药品反库信息"), columnsOf("返库时间", "售价(元)", "反库人帐号", "返库原因"),
        scale_.supplierReturns, QStringLiteral("质量问题"));
    add(QStringLiteral("药品报损信息"), columnsOf("报损时间", "报损零售价(元)", "报损人帐号", "报损原因"),
        scale_.writeOffs, QStringLiteral("破损"));
  }

  void SuppliesAndInpatients() {
    BulkInsert in(db_, QStringLiteral("卫材入库历史记录表"),
                  Columns("产品名称,时间,数量,单位,单价(元),总价(元),供货商,产地,入库人帐号"));
    BulkInsert out(db_, QStringLiteral("卫材出库表"),
                   Columns("产品名称,时间,数量,单位,单价(元),售价(元),进货金额(元),零售金额(元),利润金额(元),总价(元),供货商,产地,领取人"));
    for (int i = 0; i < scale_.suppliesRows; ++i) {
      const QString name = Numbered(QStringLiteral("卫材"), i % 300 + 1, 3);
      const double quantity = double(1 + Pick(50)), price = Cents(Between(0.2, 30)), sale = Cents(price * 1.3);
      const QString supplier = Numbered(QStringLiteral("供货商"), i % 10 + 1);
      in.Add({name, Day(DayInTurn(i, scale_.suppliesRows)), quantity, QStringLiteral("个"), price, Cents(quantity * price), supplier,
              QStringLiteral("本地"), Numbered(QStringLiteral("库管"), i % 3 + 1)});
      out.Add({name, Day(DayInTurn(i, scale_.suppliesRows)), quantity, QStringLiteral("个"), price, sale, Cents(quantity * price),
               Cents(quantity * sale), Cents(quantity * (sale - price)), Cents(quantity * sale), supplier,
               QStringLiteral("本地"), Nurse()});
    }
    BulkInsert admitted(db_, QStringLiteral("入院信息表"), Columns("拼音缩写,姓名,性别,年龄,合作医疗证号,住址"));
    BulkInsert ledger(db_, QStringLiteral("住院患者押金表"), Columns("姓名,时间,收费类别,金额,操作人帐号"));
    for (int i = 0; i < scale_.inpatients; ++i) {
      const QString name = Numbered(QStringLiteral("住院"), i + 1, 5);
      const QDate day = last_.addDays(-Pick(30));
      admitted.Add({QStringLiteral("ZY"), name, i % 2 ? QStringLiteral("男") : QStringLiteral("女"),
                    QString::number(20 + Pick(60)), Numbered(QStringLiteral("HZ"), i + 1, 6), QStringLiteral("本镇")});
      ledger.Add({name, Day(day), QStringLiteral("现金存入"), double(500 + 100 * Pick(20)), Cashier(i)});
      ledger.Add({name, Day(day.addDays(1)), QStringLiteral("支出"), Cents(Between(20, 400)), Cashier(i)});
    }
  }

  QSqlDatabase db_;
  ClinicHistoryScale scale_;
  std::function<void(const QString&)> progress_;
  QRandomGenerator random_;
  QDate first_, last_;
  std::vector<Goods> goods_;
  std::vector<double> itemPrices_;
  std::map<int, double> pricedAway_;
  double serials_[kPricingAccounts] = {};
  int doctors_ = 1, nurses_ = 1, items_ = 1;
};
}  // namespace

ClinicHistoryScale ClinicHistoryScale::Times(double factor) const {
  ClinicHistoryScale scaled = *this;
  for (int* count : {&scaled.paidVisits, &scaled.dispensedLines, &scaled.serviceLines, &scaled.batches,
                     &scaled.todayVisits, &scaled.unpaidVouchers, &scaled.suppliesRows, &scaled.patientReturns,
                     &scaled.supplierReturns, &scaled.writeOffs, &scaled.inpatients})
    *count = static_cast<int>(std::lround(*count * factor));
  scaled.days = std::max(1, static_cast<int>(std::lround(days * factor)));
  return scaled;
}

ClinicHistoryScale ReportBenchScale(double factor) {
  ClinicHistoryScale scale;
  scale.lastDay = QDate(2026, 11, 27);
  scale.suppliesRows = 100000;
  scale.patientReturns = 30000;
  scale.supplierReturns = 4000;
  scale.writeOffs = 4000;
  scale.inpatients = 200;
  scale = scale.Times(factor);
  scale.todayVisits = 1000;
  scale.unpaidVouchers = 100;
  return scale;
}

void GenerateClinicHistory(const QSqlDatabase& db, const ClinicHistoryScale& scale,
                           const std::function<void(const QString&)>& progress) {
  Generator(db, scale, progress).Run();
  // Fresh statistics, so the planner knows the tables' sizes at once. The
  // server's tables are vacuumed too, as years of use leave them: without
  // it every index-only read of the history visits the rows as well, and
  // the server's own vacuum would come round in the middle of a benchmark.
  const QString refresh = IsPostgres(db) ? QStringLiteral("vacuum analyze ") : QStringLiteral("analyze ");
  for (const ClinicTable& table : ClinicTables()) ExecDirect(db, refresh + QuotedName(table.name));
}

namespace {
// About 3,000 visits, the other counts and the days in proportion, on a
// smaller catalogue, whatever the history asked for.
ClinicHistoryScale SmokeScale(const ClinicHistoryScale& scale) {
  ClinicHistoryScale smoke = scale.Times(std::min(0.01, 3000.0 / std::max(1, scale.paidVisits)));
  smoke.goods = std::min(scale.goods, 200);
  return smoke;
}
}  // namespace

Connection OpenBenchStore(const QString& folder, const ClinicHistoryScale& scale,
                          const std::function<void(const QString&)>& progress) {
  QDir().mkpath(folder);
  qputenv("BRIMWICK_DATA_DIR", QDir(folder).absolutePath().toUtf8() + '/');
  const QString server = qEnvironmentVariable("BRIMWICK_BENCH_PG").trimmed();
  if (server.isEmpty()) {
    qputenv("BRIMWICK_CLINIC_SERVER", QByteArray());
  } else {
    QString name = QStringLiteral("bench_") + QFileInfo(QDir(folder).absolutePath()).fileName().toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9_]")), QStringLiteral("_"));
    {
      Connection admin = OpenPostgres(server);
      if (ScalarText(admin.db(), QStringLiteral("select count(*) from pg_database where datname = ?"), {name}) == "0")
        ExecDirect(admin.db(), QStringLiteral("create database ") + name);
    }
    // libpq takes the last of a repeated key.
    qputenv("BRIMWICK_CLINIC_SERVER", (server + QStringLiteral(" dbname=") + name).toUtf8());
  }
  Connection store = OpenClinicDatabase();
  // A smoke run only shows that the benchmark runs whole: a sliver of the
  // history does.
  if (ScalarText(store.db(), QStringLiteral("select count(*) from 药品信息")) == "0")
    GenerateClinicHistory(store.db(), SmokeRun() ? SmokeScale(scale) : scale, progress);
  return store;
}

QDate LastStoreDay(const QSqlDatabase& db, const QString& table) {
  return QDate::fromString(ScalarText(db, QStringLiteral("select max(时间) from ") + QuotedName(table)).left(10),
                           Qt::ISODate);
}

double MedianMs(int runs, const std::function<void()>& fn) {
  std::vector<double> times;
  QElapsedTimer total;
  total.start();
  if (SmokeRun()) runs = 1;
  while (static_cast<int>(times.size()) < runs || (!SmokeRun() && total.elapsed() < 250 && times.size() < 1000)) {
    QElapsedTimer timer;
    timer.start();
    fn();
    times.push_back(timer.nsecsElapsed() / 1e6);
  }
  return Median(times);
}
