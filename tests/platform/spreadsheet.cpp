// The in-memory workbook: settings on rows, columns, ranges and cells fold
// into each cell's one format in the order they were made, and the file
// written reads back the same.
#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/spreadsheet.h"
#include "support/testkit.h"
#include "support/workbookfile.h"

class SpreadsheetTest : public QObject {
  Q_OBJECT
 private slots:
  void ColumnLettersGoPastZ() {
    QCOMPARE(ColumnLetters(1), QString("A"));
    QCOMPARE(ColumnLetters(22), QString("V"));
    QCOMPARE(ColumnLetters(23), QString("W"));
    QCOMPARE(ColumnLetters(26), QString("Z"));
    QCOMPARE(ColumnLetters(27), QString("AA"));
    QCOMPARE(ColumnLetters(703), QString("AAA"));
    Workbook book;
    book.Sheet(1).Range("A2:AA9").SetBorders();
    QVERIFY(book.Sheet(1).Format(9, 27).borders);
    QVERIFY(!book.Sheet(1).Format(9, 28).borders);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, book.Sheet(1).Range("A2:"));
  }

  void ALaterSettingWinsOnTheCellsItShares() {
    Workbook book;
    Worksheet& sheet = book.Sheet(1);
    sheet.Columns(2).SetHorizontalAlignment(HorizontalAlignment::Center);
    sheet.Rows(3).SetHorizontalAlignment(HorizontalAlignment::General);
    sheet.Cells(4, 3).SetNumberFormat("0.00");
    sheet.Range("A2:C4").SetFontName("宋体");
    sheet.Range("A2:C4").SetBorders();
    sheet.Rows(1).SetFontName("隶书");
    sheet.Rows(1).SetFontSize(18);
    sheet.Cells(3, 2).SetValue(12.5);
    sheet.Cells(2, 2).SetValue("医师01");
    sheet.Cells(2, 3).SetValue("");  // an empty text empties the cell

    QCOMPARE(sheet.Format(3, 2).alignment, HorizontalAlignment::General);
    QCOMPARE(sheet.Format(4, 2).alignment, HorizontalAlignment::Center);
    QCOMPARE(*sheet.Format(4, 3).numberFormat, QString("0.00"));
    QCOMPARE(*sheet.Format(4, 3).fontName, QString("宋体"));
    QVERIFY(sheet.Format(4, 3).borders);
    QVERIFY(!sheet.Format(5, 3).borders);
    QVERIFY(!sheet.Value(2, 3).isValid());

    const QString path = TestKit::FreshDataDir() + "/book.xlsx";
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("not a workbook");
    old.close();
    QCOMPARE(book.SaveAs(path), QString());
    WorkbookFile f;
    QVERIFY2(f.Load(path), qPrintable(f.error()));
    QCOMPARE(f.Value("B3"), QVariant(12.5));
    QCOMPARE(f.Cell("B3").alignment, QString());
    QCOMPARE(f.Cell("B4").alignment, QString("center"));
    QCOMPARE(f.Cell("C4").numberFormat, QString("0.00"));
    QCOMPARE(f.Cell("C4").fontName, QString("宋体"));
    QVERIFY(f.Cell("A2").bordered);
    QCOMPARE(f.Value("B2"), QVariant("医师01"));
    QVERIFY(!f.Value("C2").isValid());
    QVERIFY(f.RowHeight(1) > 20);
    // Nothing but the workbook is left in the folder.
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{"book.xlsx"});
  }

  void AWriteThatFailsLeavesNothing() {
    Workbook book;
    book.Sheet(1).Cells(1, 1).SetValue("x");
    const QString folder = TestKit::FreshDataDir();
    const QString path = folder + "/none/book.xlsx";
    QVERIFY(!book.SaveAs(path).isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
  }
};

BRIMWICK_TEST_MAIN(SpreadsheetTest)
#include "spreadsheet.moc"
