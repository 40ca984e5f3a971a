#include <QDir>
#include <QFont>
#include <QFontInfo>
#include <QSet>
#include <QThread>
#include <csignal>
#include <sys/resource.h>
#include <QFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QSettings>

#include "platform/clock.h"
#include "platform/printcanvas.h"
#include "support/testkit.h"

namespace {
QString PdfText(const QString& file) {
  QProcess pdftotext;
  pdftotext.start("pdftotext", {"-enc", "UTF-8", file, "-"});
  if (!pdftotext.waitForFinished(20000) || pdftotext.exitCode() != 0) return QString();
  return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

PrintTable Medicine() {
  PrintTable t;
  t.columns = {{"品名", 1, "", 2_in / 5}, {"总价(元)", 1 + 2, "", 2_in / 5 + 127_in / 50, CellKind::Amount}};
  t.separators = {1_in / 3 + 257_in / 100};
  return t;
}

DrawDocument Voucher(const QList<QStringList>& rows) {
  return [rows](PrinterCanvasReport& doc) {
    doc.SetFooter("护士甲");
    doc.SetFontSize(18);
    doc.Title("患者退药凭证", 3, 1_in / 3, 3_in / 2, 7, 1_in / 3 + 1_in / 3);
    doc.SetFontSize(8);
    doc.HeadRow(Medicine(), 1_in / 3 + 1_in / 2 + 1_in / 7);
    doc.Rows(Medicine(), rows);
    doc.FooterBelowLastRow();
  };
}
}  // namespace

class PrintPdfTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    TestKit::FreshDataDir();
    qunsetenv("BRIMWICK_PRINT_DIR");
    PrintOutput::PrintNormally();
    Clock::Set(QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
  }
  void cleanup() {
    qunsetenv("BRIMWICK_PRINT_DIR");
    Clock::Reset();
  }

  void chineseTextComesBackFromThePdf() {
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    const PrintResult result = PrintReport("患者退药凭证", Voucher({{"阿莫西林胶囊", " 12.5"}, {"板蓝根颗粒", "3"}}));
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(QFileInfo(result.file).absolutePath(), QDir(folder.path()).absolutePath());
    QCOMPARE(QFileInfo(result.file).fileName(), QString("患者退药凭证-20240305-080910.pdf"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"患者退药凭证-20240305-080910.pdf"});
    const QString text = PdfText(result.file);
    for (const char* expected : {"患者退药凭证", "品名", "总价(元)", "阿莫西林胶囊", "板蓝根颗粒", "12.50", "3.00",
                                    "打印制表人帐号", "护士甲", "2024-03-05 08:09:10", "当前页码："})
      QVERIFY2(text.contains(QString(expected)), qPrintable(QString(expected) + " not in:\n" + text));

    // The same title in the same second gets a name of its own.
    const PrintResult again = PrintReport("患者退药凭证", Voucher({}));
    QVERIFY2(again, qPrintable(again.error));
    QVERIFY(again.file != result.file);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 2);
  }

  void aFailedPrintLeavesNoFile() {
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    const PrintResult result = PrintReport("报损凭证", Voucher({{"甲", "1"}, {"乙", "一元"}}));
    QVERIFY(!result);
    QVERIFY(result.error.contains("一元"));
    QVERIFY(result.file.isEmpty());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
  }

  void aFolderThatCannotBeMadeIsReported() {
    QTemporaryDir base;
    QFile blocker(base.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("BRIMWICK_PRINT_DIR", base.filePath("file/prints").toUtf8());
    const PrintResult result = PrintReport("报损凭证", Voucher({{"甲", "1"}}));
    QVERIFY(!result);
    QVERIFY(result.error.contains("file/prints"));
  }

  // A disk that fills up while the file is written: the writer's own
  // calls do not say so; the file is checked, removed, and the print fails.
  void aFileCutShortByAFullDiskIsAFailure() {
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    QList<QStringList> rows;
    for (int i = 0; i < 40; ++i) rows << QStringList{QString("药品第%1行").arg(i), QString::number(i)};
    bool mounted = false;
    const QString small = folder.filePath("small");
    QDir().mkpath(small);
    // A tiny file system when the machine lets us mount one; otherwise a
    // limit on the size of every file this process writes does the same.
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", small}) == 0) mounted = true;
    struct rlimit before {};
    if (mounted) {
      qputenv("BRIMWICK_PRINT_DIR", small.toUtf8());
    } else {
      std::signal(SIGXFSZ, SIG_IGN);
      getrlimit(RLIMIT_FSIZE, &before);
      struct rlimit tiny = before;
      tiny.rlim_cur = 6000;
      QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    }
    const PrintResult result = PrintReport("患者退药凭证", Voucher(rows));
    const QStringList left = QDir(mounted ? small : folder.path()).entryList(QDir::Files | QDir::Hidden);
    if (mounted)
      QProcess::execute("umount", {small});
    else
      setrlimit(RLIMIT_FSIZE, &before);
    QVERIFY(!result);
    QVERIFY2(result.error.contains("无法写入"), qPrintable(result.error));
    QVERIFY(result.file.isEmpty());
    QVERIFY2(left.isEmpty(), qPrintable(left.join(", ")));
  }

  void twoDesksPrintingTheSameTitleAtOnceEachGetAFile() {
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    // The clock stands still: every desk prints in the same second.
    QList<PrintResult> results(4);
    QList<QThread*> desks;
    for (int i = 0; i < 4; ++i)
      desks << QThread::create([&results, i] { results[i] = PrintReport("患者退药凭证", Voucher({{"甲", "1"}})); });
    for (QThread* desk : desks) desk->start();
    for (QThread* desk : desks) {
      desk->wait();
      delete desk;
    }
    QSet<QString> files;
    for (const PrintResult& result : results) {
      QVERIFY2(result, qPrintable(result.error));
      files << result.file;
    }
    QCOMPARE(files.size(), 4);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
  }

  void printsKeepTheirFaceWhateverTheScreenShows() {
    // The windows' "宋体" shows in Noto Serif; paper keeps AR PL UMing.
    QCOMPARE(QFontInfo(QFont("宋体")).family(), QString("Noto Serif CJK SC"));
    QTemporaryDir folder;
    qputenv("BRIMWICK_PRINT_DIR", folder.path().toUtf8());
    const PrintResult result = PrintReport("患者退药凭证", Voucher({{"阿莫西林胶囊", "1.005"}, {"板蓝根颗粒", "-0.001"}}));
    QVERIFY2(result, qPrintable(result.error));
    QProcess fonts;
    fonts.start("pdffonts", {result.file});
    QVERIFY(fonts.waitForFinished(20000));
    const QString faces = QString::fromUtf8(fonts.readAllStandardOutput());
    QVERIFY2(faces.contains("UMing") && !faces.contains("Noto"), qPrintable(faces));
    // Amounts are rounded as written, and a vanishing one is no "-0.00".
    const QString text = PdfText(result.file);
    QVERIFY2(text.contains("1.01"), qPrintable(text));
    QVERIFY(text.contains("0.00"));
    QVERIFY(!text.contains("-0.00"));
  }

  void theSettingsNameThePrintFolder() {
    const QString data = TestKit::FreshDataDir();
    // Without a printer and without a setting, the data folder's prints/.
    if (QPrinterInfo::defaultPrinter().isNull()) QCOMPARE(PrintFolder(), QDir(data).absoluteFilePath("prints"));
    {
      QSettings ini(data + "/brimwick.ini", QSettings::IniFormat);
      ini.setValue("print/folder", "单据");
    }
    QCOMPARE(PrintFolder(), QDir(data).absoluteFilePath("单据"));
    const PrintResult result = PrintReport("报损凭证", Voucher({{"甲", "1"}}));
    QVERIFY2(result, qPrintable(result.error));
    QCOMPARE(QFileInfo(result.file).absolutePath(), QDir(data).absoluteFilePath("单据"));

    QTemporaryDir other;
    qputenv("BRIMWICK_PRINT_DIR", other.path().toUtf8());
    QCOMPARE(PrintFolder(), QDir(other.path()).absolutePath());
  }
};

BRIMWICK_TEST_MAIN(PrintPdfTest)
#include "printpdf.moc"
