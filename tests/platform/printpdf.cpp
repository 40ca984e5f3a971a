#include <QDir>
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
