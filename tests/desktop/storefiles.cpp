// Under a real X server and window manager: the real save dialog, browsing
// the data folder while both stores are open and written to, leaves the
// process's locks on the store files as they were, so that another program
// closing a store does not take its write-ahead log away from the desk.
#include <QFileDialog>
#include <QTimer>
#include <sys/stat.h>

#include "db/clinicdb.h"
#include "db/shopdb.h"
#include "db/sql.h"
#include "platform/datadir.h"
#include "platform/savedialog.h"
#include "support/clinicfixture.h"
#include "support/testkit.h"

namespace {
const QStringList kSuffixes{"", "-wal", "-shm", "-journal"};

// The locks this process holds on the files of the stores, as
// "file kind start end" (from /proc/locks, matched by inode).
QStringList StoreLocks(const QStringList& stores) {
  QHash<quint64, QString> files;
  for (const QString& store : stores)
    for (const QString& suffix : kSuffixes) {
      struct stat st {};
      if (::stat(QFile::encodeName(store + suffix).constData(), &st) == 0)
        files.insert(st.st_ino, QFileInfo(store).fileName() + suffix);
    }
  QFile proc("/proc/locks");
  if (!proc.open(QIODevice::ReadOnly)) return {"/proc/locks unreadable"};
  QStringList locks;
  const QString pid = QString::number(QCoreApplication::applicationPid());
  for (const QByteArray& line : proc.readAll().split('\n')) {
    // "1: POSIX  ADVISORY  READ 4242 08:01:1234 128 128"
    const QStringList f = QString::fromLatin1(line).split(' ', Qt::SkipEmptyParts);
    if (f.size() < 8 || f.at(1) != "POSIX" || f.at(4) != pid) continue;
    const quint64 inode = f.at(5).section(':', 2).toULongLong();
    if (files.contains(inode)) locks << QStringList{files.value(inode), f.at(3), f.at(6), f.at(7)}.join(' ');
  }
  locks.sort();
  return locks;
}

}  // namespace

class StoreFilesTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != "xcb") QSKIP("needs an X server with a window manager");
    SaveDialog::RemoveResponder();
  }

  void browsingTheDataFolderLeavesBothStoresLockedAndWhole() {
    ClinicFixture::Prepare("sqlite");
    const QString clinicPath = ClinicDatabasePath();
    const QString shopPath = ShopDatabasePath();
    Connection clinic = OpenClinicDatabase();
    Connection shop = OpenShopDatabase();
    ClinicFixture::InsertRow(clinic.db(), "药品单位", {{"药品单位", "盒"}});
    ClinicFixture::InsertRow(shop.db(), "单位", {{"单位", "箱"}});
    const QStringList locks = StoreLocks({clinicPath, shopPath});
    QVERIFY2(locks.filter("Varnhold.db").size() > 0 && locks.filter("表.db").size() > 0, qPrintable(locks.join(", ")));

    // The real dialog stays up long enough for its background reader to
    // list the folder and tell every file's type and icon.
    bool shown = false;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog && !shown) {
        shown = true;
        waited.restart();
        // The details show each file's type as well as its icon.
        dialog->setViewMode(QFileDialog::Detail);
      }
      if (dialog && waited.elapsed() > 2000) dialog->reject();
      if (!dialog && waited.elapsed() > 10000) poll.stop();
    });
    poll.start(50);
    const QString chosen = AskSaveFileName(
        nullptr, {QString("医生销售统计表"), DataDir(), QString("表.xlsx"), QString("Excel 工作簿 (*.xlsx)")});
    poll.stop();
    QVERIFY(shown);
    QVERIFY(chosen.isEmpty());
    QCOMPARE(StoreLocks({clinicPath, shopPath}), locks);

    // Another program opens and closes each store; the desk's log stays.
    QCOMPARE(TestKit::OutsideSqlite(clinicPath, "select count(*) from 药品单位"), QString("1"));
    QCOMPARE(TestKit::OutsideSqlite(shopPath, "select count(*) from 单位"), QString("1"));
    for (const QString& store : {clinicPath, shopPath}) {
      QVERIFY2(QFile::exists(store + "-wal"), qPrintable(store));
      QVERIFY2(QFile::exists(store + "-shm"), qPrintable(store));
    }
    ClinicFixture::InsertRow(clinic.db(), "药品单位", {{"药品单位", "瓶"}});
    ClinicFixture::InsertRow(shop.db(), "单位", {{"单位", "件"}});
    QCOMPARE(TestKit::OutsideSqlite(clinicPath, "select group_concat(药品单位, ',') from (select 药品单位 from 药品单位 order by 1)"),
             QString("瓶,盒"));
    QCOMPARE(TestKit::OutsideSqlite(shopPath, "select group_concat(单位, ',') from (select 单位 from 单位 order by 1)"),
             QString("件,箱"));
    QCOMPARE(TestKit::OutsideSqlite(clinicPath, "pragma integrity_check"), QString("ok"));
  }
};

BRIMWICK_TEST_MAIN(StoreFilesTest)
#include "storefiles.moc"
