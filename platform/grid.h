#pragma once
// The read-only data grid of every window: a fetched result shown in a
// table view, with the column widths and row stripes the windows ask for.
#include <QAbstractTableModel>
#include <QBasicTimer>
#include <QColor>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTableView>
#include <QVector>

#include "platform/fetchedrows.h"

// How rows are coloured by their record number (the first row is record 1).
enum class RowStripes {
  None,
  YellowAqua,         // odd on yellow, even on aqua, text unchanged
  BlackWhiteOnBlue,   // odd black on white, even white on blue
  WhiteDesktop,       // odd on white, even on the desktop colour, text unchanged
  BlackWhiteOnDesktop // odd black on white, even white on the desktop colour
};

// The rows of a result, read once, forward only: the first rows when it
// loads, the rest a slice at a time while the program waits for the user,
// or at once when someone asks for a row not yet read or for the count.
class FetchedModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit FetchedModel(QObject* parent = nullptr);
  ~FetchedModel() override;
  // Reads the first rows of an executed query; the rest follow in the
  // background, and the query is finished after its last row.
  void Load(QSqlQuery& query, int firstRows = std::numeric_limits<int>::max());
  void Clear();
  // Reads whatever rows still wait.
  void FetchAll();
  bool Pending() const { return rows_.Pending(); }
  // Whether the reading broke before the last row (FetchedRows::Broken).
  bool Broken() const { return rows_.Broken(); }
  const FetchedRows& Rows() const { return rows_; }
  // Every row, however many are read yet; when the reading broke, the rows
  // read (the grid says the list is incomplete), and a row asked for past
  // them raises (Value), so that no walk over the whole list ends quietly
  // at the break. Prints, workbooks and totals read the store themselves.
  int RecordCount();
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;
  // A cell of any row of the result, reading the rows up to it first; a row
  // past those a broken reading brought raises its error.
  QVariant Value(int row, int column) const;
  void SetStripes(RowStripes stripes) { stripes_ = stripes; }
  void SetColumnDecimals(const QList<int>& decimals) { decimals_ = decimals; }

 signals:
  // The reading broke: the rows shown are only the first of the list.
  void ReadBroken();

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void readMore(int rows);
  void tellIfBroken();
  void readSlice();
  void showRead();
  void stopReading();

  FetchedRows rows_;
  int shown_ = 0;  // rows the views know of
  QBasicTimer background_;
  QElapsedTimer toldViews_;  // since the views last heard of rows read
  QList<int> decimals_;
  RowStripes stripes_ = RowStripes::None;
  bool toldBroken_ = false;
};

// The text a cell shows: numbers in their shortest form, days as yyyy-MM-dd.
QString CellText(const QVariant& value);
// The same with a fixed number of decimals (money 2, unit prices "0.000" 3,
// shares "0.00" 2); an empty value stays blank. Negative decimals: CellText.
QString CellText(const QVariant& value, int decimals);

// Display formats by column, for SetColumnDecimals. Quantities show as
// stored (kGeneral): fixed decimals would only widen them.
inline constexpr int kGeneral = -1;
inline constexpr int kMoneyDecimals = 2;
inline constexpr int kThreeDecimals = 3;

// The background of the picked row: apart from every stripe colour.
inline const QColor kPickedRowColor{128, 0, 0};

class DataGrid : public QTableView {
  Q_OBJECT
 public:
  explicit DataGrid(QWidget* parent = nullptr);
  // Shows an executed query, its first screen at once and the rest as it
  // is read; the first row becomes current. A result opened anew starts
  // from the grid's default widths, as the window sets its own after.
  void Open(QSqlQuery& query);
  // The same, with the widths of this result given before its rows come,
  // so that its first screen is measured once.
  void Open(QSqlQuery& query, const QList<int>& widths);
  void Clear();
  // The least width of each column, from the first; a column widens past
  // it to show its title and the cells on screen whole (FitColumns). A
  // width of 0 hides the column until widths are set again or a result
  // is opened anew.
  void SetColumnWidths(const QList<int>& widths);
  // The width a column gets at the least: as set, or the header's default.
  int LeastWidth(int column) const;
  void SetStripes(RowStripes stripes);
  // Decimals shown per column, from the first (kGeneral for the shortest
  // form); columns past the list show the shortest form. Kept across Open.
  void SetColumnDecimals(const QList<int>& decimals);
  // Every row of the result, reading the rest first.
  int RecordCount() const;
  int CurrentRow() const;
  // Text of a cell of the current row, as stored (empty without a row).
  QString Cell(int column) const;
  QVariant CellValue(int column) const;
  FetchedModel* Model() const { return model_; }
  // The row the last double click landed on, or -1 when it landed below
  // the last row (where the current row is still the one picked before).
  int DblClickRow() const { return dblClickRow_; }
  // Typing never moves the current row: a clerk's quantity typed into a
  // list would otherwise jump the pick to a row beginning with its digits.
  void keyboardSearch(const QString& search) override;

 signals:
  void CellClick();
  void DblClick();
  void KeyDown(int key);
  void KeyUp(int key);
  void KeyPress(const QString& text);
  void Enter();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Widens each column whose title or cells on screen do not fit its
  // least width; with grow only, never narrows a column.
  void FitColumns(bool growOnly = false);
  // Hides the columns whose least width is 0 and shows again those it hid
  // before whose width is no longer 0.
  void hideZeroWidths();
  // Says over the rows shown that the list is incomplete and why, while it
  // is shown; gone when the grid opens another result or is cleared.
  void ShowIncomplete();
  void HideIncomplete();
  void PlaceIncomplete();
  int rowsOnScreen() const;

  FetchedModel* model_;
  QList<int> leastWidths_;
  QList<int> hiddenByWidth_;
  int fittedRows_ = 0;
  int dblClickRow_ = -1;
  class QLabel* incomplete_ = nullptr;
};
