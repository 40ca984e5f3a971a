#include "platform/printcanvas.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include "platform/clock.h"
#include "support/testkit.h"

namespace {
// A list laid out like the clinic's detail lists: two text columns, an
// amount, footer with the operator.
PrintTable ListTable() {
  PrintTable t;
  t.columns = {{"品      名", 1, "品名", 2_in / 5},
               {"数量", 1 + 2, "数量", 2_in / 5 + 2.54_in},
               {"总价(元)", 1 + 2 + 1, "总价", 2_in / 5 + 2.54_in + 1, CellKind::Amount}};
  t.separators = {1_in / 3 + 2.57_in, 1_in / 3 + 2.57_in + 1};
  return t;
}

QList<QStringList> Records(int count) {
  QList<QStringList> rows;
  for (int i = 1; i <= count; ++i) rows << QStringList{QString("药品%1 ").arg(i), " 2", QString::number(i) + ".5"};
  return rows;
}

const Inches kHeadTop = 1_in / 3 + 1_in / 2 + 1_in / 7;

enum class Kind { OnePage, Paged };

DrawDocument List(int records, Kind kind, bool rowCount = false) {
  return [=](PrinterCanvasReport& doc) {
    if (kind == Kind::Paged) doc.BreakAfterRows(kRowsPerListPage);
    doc.SetFooter("zhang");
    doc.SetFooterRowCount(rowCount);
    doc.SetFontSize(18);
    doc.Title("药品报损详单", 5_in / 2, 1_in / 3, 3_in / 2, 7, 1_in / 3 + 1_in / 3);
    doc.SetFontSize(10);
    const PrintTable table = ListTable();
    doc.HeadRow(table, kHeadTop);
    doc.Rows(table, Records(records));
    doc.FooterBelowLastRow();
  };
}

// The footer's page number on a page: the text at its x (730 at 100 dpi).
QList<DrawnText> FooterPageTexts(const RecordingCanvas& canvas, int page) {
  QList<DrawnText> found;
  const int x = (2 + 1 + 1 + 4_in / 5 + 2 + 1_in / 2).At(canvas.Dpi());
  for (const DrawnText& t : canvas.TextsOnPage(page))
    if (t.x == x) found << t;
  return found;
}

int CountStartingWith(const QList<DrawnText>& texts, const QString& prefix) {
  int n = 0;
  for (const DrawnText& t : texts) n += t.text.startsWith(prefix);
  return n;
}
}  // namespace

class PrintCanvasTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    TestKit::FreshDataDir();
    Clock::Set(QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
    PrintOutput::PrintNormally();
    PrintOutput::ClearRecordedJobs();
  }
  void cleanup() { Clock::Reset(); }

  void termsAreRoundedOneByOneHalvesToEven() {
    QCOMPARE((1_in / 3 + 2.57_in).At(100), 290);
    QCOMPARE(Inches({{1, 3}, {257, 100}}).At(100), 290);
    QCOMPARE(Inches(1, 2).At(125), 62);
    QCOMPARE(Inches(3, 2).At(125), 188);
    // Each term by itself: 1.5 + 3.5 is 188 + 438, not Round(625).
    QCOMPARE((1.5_in + 3.5_in).At(125), 626);
    QCOMPARE((2 * 0.59_in).At(150), 176);
    QCOMPARE(Inches(1.18).At(150), 177);
    QCOMPARE((Units(412) + 1_in / 20).At(100), 417);
    QCOMPARE(Inches(7.8).At(600), 4680);
    RecordingCanvas canvas(125);
    PrinterCanvasReport doc(canvas);
    QCOMPARE(doc.Dpi(), 125);
    QCOMPARE(doc.Term(1, 2), 62);
    QCOMPARE(doc.At({{1, 3}, {257, 100}}), 42 + 321);
  }

  void footerStandsAtItsTerms() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, [](PrinterCanvasReport& doc) {
              doc.SetFontSize(8);
              doc.PrintFooter(Units(412), "zhang", 3);
            }).isEmpty());
    const QList<DrawnText> texts = canvas.Texts();
    QCOMPARE(texts.size(), 6);
    const QList<std::pair<int, QString>> expected = {{200, "打印制表人帐号"}, {300, "zhang"},
                                                     {400, "打印制表时间"}, {480, "2024-03-05 08:09:10"},
                                                     {680, "当前页码："},     {730, "3"}};
    for (int i = 0; i < 6; ++i) {
      QCOMPARE(texts[i].x, expected[i].first);
      QCOMPARE(texts[i].text, expected[i].second);
      QCOMPARE(texts[i].y, 412);
      QCOMPARE(texts[i].font, QString("宋体"));
      QCOMPARE(texts[i].size, 8);
    }
  }

  void footerWithRowCountAndItsOwnSteps() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, [](PrinterCanvasReport& doc) {
              doc.SetFontSize(10);
              doc.SetFooterFontSize(8);
              doc.SetFooterSteps({2, 1.1_in, 1, 0.9_in, 2, 0.6_in});
              doc.PrintFooter(0, "li", 2, 17);
              doc.Text(0, 0, "after");
            }).isEmpty());
    const QList<DrawnText> texts = canvas.Texts();
    QCOMPARE(texts.size(), 9);
    QCOMPARE(texts[0].text, QString("本页品种："));
    QCOMPARE(texts[0].x, 100);
    QCOMPARE(texts[1].text, QString("17"));
    QCOMPARE(texts[1].x, 150);
    QCOMPARE(texts[3].x, 310);
    QCOMPARE(texts[7].text, QString("2"));
    QCOMPARE(texts[7].x, 200 + 110 + 100 + 90 + 200 + 60);
    QCOMPARE(texts[7].size, 8);
    QCOMPARE(texts[8].size, 10);  // the body size comes back after the footer
  }

  void titleHeadAndRowAreRuled() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, List(1, Kind::Paged)).isEmpty());
    const DrawnText title = canvas.Find("药品报损详单").value(0);
    QCOMPARE(title.x, 250);
    QCOMPARE(title.y, 33);
    QCOMPARE(title.size, 18);
    const QList<DrawnLine> lines = canvas.Lines();
    // Double rule, 1/30 in apart.
    QCOMPARE(lines[0].y1, 66);
    QCOMPARE(lines[1].y1, 69);
    QCOMPARE(lines[1].x1, 150);
    QCOMPARE(lines[1].x2, 700);
    // Head row at 33 + 50 + 14 = 97, 1/4 high; texts 1/20 below its top.
    const int head = 97;
    QCOMPARE(lines[2].y1, head);
    QCOMPARE(lines[2].x1, 33);
    QCOMPARE(lines[2].x2, 800);
    QList<int> verticals;
    for (int i = 3; i < 7; ++i) {
      QCOMPARE(lines[i].y1, head);
      QCOMPARE(lines[i].y2, head + 25);
      verticals << lines[i].x1;
    }
    QCOMPARE(verticals, (QList<int>{33, 290, 390, 800}));
    QCOMPARE(lines[7].y1, head + 25);
    QCOMPARE(canvas.Find("品      名").value(0).x, 100);
    QCOMPARE(canvas.Find("品      名").value(0).y, head + 5);
    // The data row, 1/5 high below the head; cells trimmed, amount with two decimals.
    const DrawnText name = canvas.Find("药品1").value(0);
    QCOMPARE(name.x, 40);
    QCOMPARE(name.y, head + 25 + 5);
    QCOMPARE(canvas.Find("2").value(0).x, 294);
    QCOMPARE(canvas.Find("1.50").value(0).x, 394);
    QCOMPARE(lines.last().y1, head + 25 + 20);
    QCOMPARE(lines.last().x2, 800);
    // Footer 1/4 below the row's top.
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).y, head + 25 + 25);
  }

  void fortyEightRecordsFillOnePage() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, List(48, Kind::Paged)).isEmpty());
    QCOMPARE(canvas.PageCount(), 1);
    QCOMPARE(CountStartingWith(canvas.Texts(), "药品") - 1, 48);  // and the title
    QCOMPARE(FooterPageTexts(canvas, 1).size(), 1);
    QCOMPARE(FooterPageTexts(canvas, 1)[0].text, QString("1"));
    QCOMPARE(FooterPageTexts(canvas, 1)[0].y, 97 + 25 + 47 * 20 + 25);
  }

  void theFortyNinthRecordOpensPageTwo() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, List(49, Kind::Paged, true)).isEmpty());
    QCOMPARE(canvas.PageCount(), 2);
    QCOMPARE(CountStartingWith(canvas.TextsOnPage(1), "药品") - 1, 48);  // and the title
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).text, QString("1"));
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).y, 97 + 25 + 47 * 20 + 25);
    QCOMPARE(canvas.TextsOnPage(1).value(canvas.TextsOnPage(1).size() - 8 + 1).text, QString("48"));
    // Page two: the head row again at 1/2 in, one row, footer "2".
    const QList<DrawnText> second = canvas.TextsOnPage(2);
    QCOMPARE(CountStartingWith(second, "品      名"), 1);
    QCOMPARE(canvas.Find("品      名").value(1).y, 55);
    QCOMPARE(canvas.LinesOnPage(2).value(0).y1, 50);
    QCOMPARE(canvas.Find("药品49").value(0).page, 2);
    QCOMPARE(canvas.Find("药品49").value(0).y, 80);
    QCOMPARE(FooterPageTexts(canvas, 2).value(0).text, QString("2"));
    QCOMPARE(FooterPageTexts(canvas, 2).value(0).y, 100);
    QCOMPARE(second.value(second.size() - 8 + 1).text, QString("1"));  // one row on this page
  }

  void anExactMultipleMakesNoEmptyPage() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, List(96, Kind::Paged)).isEmpty());
    QCOMPARE(canvas.PageCount(), 2);
    QCOMPARE(CountStartingWith(canvas.TextsOnPage(2), "药品"), 48);
  }

  void noRecordsStillPrintTitleHeadAndFooter() {
    RecordingCanvas canvas(100);
    QVERIFY(DrawOn(canvas, List(0, Kind::Paged)).isEmpty());
    QCOMPARE(canvas.PageCount(), 1);
    QCOMPARE(canvas.Find("药品报损详单").size(), 1);
    QCOMPARE(canvas.Find("总价(元)").size(), 1);
    QCOMPARE(CountStartingWith(canvas.Texts(), "药品"), 1);  // the title only
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).y, 97 + 25);
  }

  void aOnePageDocumentThatOverflowsGoesOn() {
    // 5 in of paper: the title block and 17 rows fit, the rest carry over.
    RecordingCanvas canvas(100, QSize(850, 500));
    QVERIFY(DrawOn(canvas, List(30, Kind::OnePage)).isEmpty());
    QVERIFY(canvas.PageCount() >= 2);
    QCOMPARE(CountStartingWith(canvas.Texts(), "药品") - 1, 30);
    for (const DrawnText& t : canvas.Texts()) QVERIFY2(t.y + 14 <= 500, qPrintable(t.text));
    for (const DrawnLine& l : canvas.Lines()) QVERIFY(std::max(l.y1, l.y2) <= 500);
    for (int page = 1; page <= canvas.PageCount(); ++page) {
      QCOMPARE(FooterPageTexts(canvas, page).size(), 1);
      QCOMPARE(FooterPageTexts(canvas, page)[0].text, QString::number(page));
    }
    QCOMPARE(canvas.Find("药品30").value(0).page, canvas.PageCount());
    QCOMPARE(canvas.Find("品      名").value(1).y, 55);
  }

  void aSecondTableThatDoesNotFitStartsANewPage() {
    RecordingCanvas canvas(100, QSize(850, 300));
    PrintTable service;
    service.columns = {{"服务类别", 2_in / 5, "", 2_in / 5}, {"服务费(元)", 2_in / 5 + 3, "", 2_in / 5 + 2.54_in, CellKind::Amount}};
    service.separators = {1_in / 3 + 2.57_in};
    service.headHeight = 1_in / 5;
    QVERIFY(DrawOn(canvas, [&](PrinterCanvasReport& doc) {
              doc.SetFooter("zhang");
              const PrintTable medicine = ListTable();
              doc.HeadRow(medicine, 1_in / 2);
              doc.Rows(medicine, Records(8));
              doc.HeadRow(service, Units(doc.LastRowBottom()) + 1_in / 5);
              doc.Rows(service, {{"注射", "3"}});
              doc.FooterBelowLastRow();
            }).isEmpty());
    QCOMPARE(canvas.PageCount(), 2);
    QCOMPARE(canvas.Find("服务类别").value(0).page, 2);
    QCOMPARE(canvas.Find("服务类别").value(0).y, 55);
    QCOMPARE(canvas.Find("3.00").value(0).y, 75);
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).text, QString("1"));
    QCOMPARE(FooterPageTexts(canvas, 2).value(0).text, QString("2"));
  }

  // A block kept whole: where it fits it stays, otherwise it opens the
  // next page after the page's footer; the rows that fit are counted with
  // the footer's room kept.
  void aBlockKeptOnOnePage() {
    RecordingCanvas canvas(100, QSize(850, 300));
    QVERIFY(DrawOn(canvas, [&](PrinterCanvasReport& doc) {
              doc.SetFooter("zhang");
              const PrintTable table = ListTable();
              doc.HeadRow(table, 1_in / 2);
              // Rows from 75, each top leaving 25 + 14 for the footer above 300: 10.
              QCOMPARE(doc.RowsThatFit(table), 10);
              QCOMPARE(doc.KeepOnPage(2, 100), 200);
              QCOMPARE(doc.KeepOnPage(2, 101), 50);
            }).isEmpty());
    QCOMPARE(canvas.PageCount(), 2);
    QCOMPARE(FooterPageTexts(canvas, 1).value(0).text, QString("1"));
  }

  void aContinuationHeadOfItsOwn() {
    RecordingCanvas canvas(100);
    PrintTable rows = ListTable();
    rows.continuationHead = [](PrinterCanvasReport& doc, int top) {
      PrintTable head = ListTable();
      head.right = 7.8_in;
      head.columns[1].head = "数目";
      doc.HeadRow(head, Units(top));
    };
    QVERIFY(DrawOn(canvas, [&](PrinterCanvasReport& doc) {
              doc.BreakAfterRows(kRowsPerListPage);
              doc.HeadRow(ListTable(), 1_in / 7);
              doc.Rows(rows, Records(50));
            }).isEmpty());
    QCOMPARE(canvas.Find("数目").size(), 1);
    QCOMPARE(canvas.Find("数目")[0].page, 2);
    QCOMPARE(canvas.LinesOnPage(2).value(0).x2, 780);
    QCOMPARE(canvas.Find("药品49").value(0).y, 50 + 25 + 5);
  }

  void anAmountThatIsNoNumberAbortsTheJob() {
    RecordingCanvas canvas(100);
    const QString error = DrawOn(canvas, [](PrinterCanvasReport& doc) {
      const PrintTable table = ListTable();
      doc.HeadRow(table, 1);
      doc.Rows(table, {{"甲", "1", "3"}, {"乙", "1", "三元"}, {"丙", "1", "4"}});
      doc.FooterBelowLastRow();
    });
    QVERIFY(error.contains("三元"));
    QVERIFY(canvas.Find("丙").isEmpty());
    QVERIFY(canvas.Find("打印制表人帐号").isEmpty());
    // An empty amount is no number either.
    QVERIFY_THROWS_EXCEPTION(PrintError, PrintedAmount("  "));
    QCOMPARE(PrintedAmount(" 12.345 "), QString("12.35"));
    QCOMPARE(PrintedAmount("1234567.5"), QString("1234567.50"));
    QCOMPARE(PrintedAmount("-3"), QString("-3.00"));

    // Through the print seam: failure is reported and nothing is kept.
    PrintOutput::RecordInstead(100);
    const PrintResult failed = PrintReport("报损凭证", [](PrinterCanvasReport& doc) {
      doc.Text(1, 1, "开头");
      doc.Text(1, 2, PrintedAmount("abc"));
    });
    QVERIFY(!failed);
    QVERIFY(failed.error.contains("abc"));
    QVERIFY(PrintOutput::RecordedJobs().isEmpty());
    QVERIFY(PrintReport("报损凭证", List(2, Kind::Paged)));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
    QCOMPARE(PrintOutput::RecordedJobs()[0].title, QString("报损凭证"));
    QCOMPARE(PrintOutput::RecordedJobs()[0].canvas.Find("药品2").size(), 1);
    PrintOutput::FailNext("打印机缺纸");
    const PrintResult out = PrintReport("报损凭证", List(2, Kind::Paged));
    QCOMPARE(out.error, QString("打印机缺纸"));
    QCOMPARE(PrintOutput::RecordedJobs().size(), 1);
  }

  void rowsFromAQueryByFieldName() {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "printrows");
    db.setDatabaseName(":memory:");
    QVERIFY(db.open());
    {
      QSqlQuery q(db);
      QVERIFY(q.exec("create table t (总价 real, 品名 text, 数量 real)"));
      QVERIFY(q.exec("insert into t values (12.5, ' 青霉素 ', 3.0), (7, '葡萄糖', 2.5)"));
      RecordingCanvas canvas(100);
      QSqlQuery rows(db);
      QVERIFY(rows.exec("select 总价, 品名, 数量 from t order by 品名"));
      QVERIFY(DrawOn(canvas, [&](PrinterCanvasReport& doc) {
                const PrintTable table = ListTable();
                doc.HeadRow(table, 1);
                doc.Rows(table, rows);
              }).isEmpty());
      const QStringList expected = {"青霉素", "3", "12.50", "葡萄糖", "2.5", "7.00"};
      QStringList cells;
      for (const DrawnText& t : canvas.Texts())
        if (t.y > 105) cells << t.text;
      QCOMPARE(cells, expected);

      QSqlQuery wrong(db);
      QVERIFY(wrong.exec("select 品名 from t"));
      const QString error = DrawOn(canvas, [&](PrinterCanvasReport& doc) { doc.Rows(ListTable(), wrong); });
      QVERIFY(error.contains("数量"));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("printrows");
  }
};

BRIMWICK_TEST_MAIN(PrintCanvasTest)
#include "printcanvas.moc"
