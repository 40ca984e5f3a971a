#include "platform/grid.h"

#include <QDate>
#include <QEvent>
#include <QHash>
#include <QElapsedTimer>
#include <QSqlDriver>
#include <QTimerEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QtMath>

#include "platform/formevents.h"
#include "platform/numbers.h"
#include "platform/widgets.h"

namespace {
// The width the style's item delegate asks for a line of text: the text's
// advance rounded up, with the style's text margin either side.
int CellWidth(const QFontMetricsF& metrics, int textMargin, const QString& text) {
  return qCeil(metrics.horizontalAdvance(text)) + 2 * textMargin;
}

// A header measures its sections again whenever the rows change: its size
// hint takes the first and last hundred sections, so every reload of a
// longer list measured two hundred row sections, which cost more than
// reading a month's rows. A section's size follows from its text alone, in
// the header's font and style (the grid's model gives a header nothing
// else), so each text is measured once while they stay the same.
class GridHeader : public QHeaderView {
 public:
  GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {
    setSectionsClickable(true);
    setHighlightSections(true);
  }

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override {
    if (isSortIndicatorShown() || !model()) return QHeaderView::sectionSizeFromContents(logicalIndex);
    const QString text = model()->headerData(logicalIndex, orientation()).toString();
    const auto found = sizes_.constFind(text);
    if (found != sizes_.cend()) return *found;
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (sizes_.size() < kMostSizes) sizes_.insert(text, size);
    return size;
  }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) sizes_.clear();
    QHeaderView::changeEvent(event);
  }

 private:
  static constexpr int kMostSizes = 4096;
  mutable QHash<QString, QSize> sizes_;
};

// Rows read when a result loads: a screen and more, so that a short list
// is read whole at once and leaves nothing open.
constexpr int kFirstRows = 256;
// Time one background slice may take before the user is served again.
constexpr int kSliceMs = 8;
constexpr int kRowsPerCheck = 256;
constexpr int kTellViewsMs = 100;
}  // namespace

FetchedModel::FetchedModel(QObject* parent) : QAbstractTableModel(parent) {}

FetchedModel::~FetchedModel() { RemovePendingRead(this); }

void FetchedModel::Load(QSqlQuery& query, int firstRows) {
  stopReading();
  beginResetModel();
  const QSqlDriver* connection = query.driver();
  // Read in part it is still shown: the grid says what is missing.
  rows_.Read(query, 0);
  rows_.ReadMore(firstRows);
  shown_ = rows_.rowCount();
  toldViews_.invalidate();
  toldBroken_ = false;
  endResetModel();
  tellIfBroken();
  if (!rows_.Pending()) return;
  AddPendingRead(this, connection, [this] { FetchAll(); });
  background_.start(0, this);
}

void FetchedModel::Clear() {
  stopReading();
  beginResetModel();
  rows_.Clear();
  shown_ = 0;
  endResetModel();
}

void FetchedModel::stopReading() {
  background_.stop();
  RemovePendingRead(this);
}

void FetchedModel::readMore(int rows) {
  rows_.ReadMore(rows);
  showRead();
}

// Tells the views of the rows read since they last heard, once: each telling
// costs them a relayout whatever the number of rows.
void FetchedModel::showRead() {
  if (rows_.rowCount() > shown_) {
    beginInsertRows(QModelIndex(), shown_, rows_.rowCount() - 1);
    shown_ = rows_.rowCount();
    endInsertRows();
  }
  if (!rows_.Pending()) stopReading();
  tellIfBroken();
}

void FetchedModel::tellIfBroken() {
  if (!rows_.Broken() || toldBroken_) return;
  toldBroken_ = true;
  emit ReadBroken();
}

void FetchedModel::FetchAll() { readMore(std::numeric_limits<int>::max()); }

// The views hear of the rows read a few times a second rather than after
// every slice: each hearing repaints the grid, which cost as much again as
// the reading.
void FetchedModel::readSlice() {
  QElapsedTimer slice;
  slice.start();
  while (rows_.Pending() && slice.elapsed() < kSliceMs) rows_.ReadMore(kRowsPerCheck);
  if (!rows_.Pending() || !toldViews_.isValid() || toldViews_.elapsed() >= kTellViewsMs) {
    showRead();
    toldViews_.start();
  }
}

void FetchedModel::timerEvent(QTimerEvent* event) {
  if (event->timerId() != background_.timerId()) return QAbstractTableModel::timerEvent(event);
  readSlice();
}

bool FetchedModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && rows_.Pending(); }

void FetchedModel::fetchMore(const QModelIndex& parent) {
  if (!parent.isValid()) readMore(kFirstRows);
}

int FetchedModel::RecordCount() {
  FetchAll();
  return shown_;
}

int FetchedModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }
int FetchedModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_.columnCount(); }

QVariant FetchedModel::Value(int row, int column) const {
  if (row >= shown_ && rows_.Pending()) const_cast<FetchedModel*>(this)->FetchAll();
  // The rows read are shown and may be picked; a print or a total over the
  // whole list asks past them, and gets the error instead.
  if (row >= rows_.rowCount()) rows_.RaiseIfBroken();
  return rows_.value(row, column);
}

QString CellText(const QVariant& value) {
  if (value.isNull()) return QString();
  switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QDate:
      return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime:
      return value.toDateTime().date().toString(QStringLiteral("yyyy-MM-dd"));
    default:
      return value.toString();
  }
}

QString CellText(const QVariant& value, int decimals) {
  if (decimals < 0) return CellText(value);
  if (value.isNull()) return QString();
  bool ok = false;
  const double number = value.toString().trimmed().isEmpty() ? 0 : value.toDouble(&ok);
  return ok ? FixedText(number, decimals) : CellText(value);
}

QVariant FetchedModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const bool odd = index.row() % 2 == 0;  // record numbers count from 1
  switch (role) {
    case Qt::DisplayRole:
      return CellText(rows_.value(index.row(), index.column()), decimals_.value(index.column(), kGeneral));
    case Qt::BackgroundRole:
      switch (stripes_) {
        case RowStripes::YellowAqua: return QColor(odd ? Qt::yellow : Qt::cyan);
        case RowStripes::BlackWhiteOnBlue: return QColor(odd ? Qt::white : Qt::blue);
        case RowStripes::WhiteDesktop:
        case RowStripes::BlackWhiteOnDesktop: return odd ? QColor(Qt::white) : DesktopColor();
        case RowStripes::None: break;
      }
      return QVariant();
    case Qt::ForegroundRole:
      if (stripes_ == RowStripes::BlackWhiteOnBlue || stripes_ == RowStripes::BlackWhiteOnDesktop)
        return QColor(odd ? Qt::black : Qt::white);
      return QVariant();
    default:
      return QVariant();
  }
}

QVariant FetchedModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Horizontal) return section < rows_.columnCount() ? rows_.titles()[section] : QVariant();
  return QVariant();
}

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), model_(new FetchedModel(this)) {
  setHorizontalHeader(new GridHeader(Qt::Horizontal, this));
  setVerticalHeader(new GridHeader(Qt::Vertical, this));
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  horizontalHeader()->setSectionsMovable(false);
  // The picked row in a colour none of the stripes uses, whether or not
  // the grid has the focus.
  QPalette colours = palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::Highlight, kPickedRowColor);
    colours.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  setPalette(colours);
  verticalHeader()->setDefaultSectionSize(20);
  connect(this, &QTableView::clicked, this, [this] { emit CellClick(); });
  connect(model_, &FetchedModel::ReadBroken, this, &DataGrid::ShowIncomplete);
  OnKeyUp(this, [this](int key) { emit KeyUp(key); });
}

void DataGrid::Open(QSqlQuery& query) {
  // The widths of the result shown before are no least of this one: a
  // column once widened by its window would otherwise stay so for good.
  Open(query, {});
}

void DataGrid::Open(QSqlQuery& query, const QList<int>& widths) {
  leastWidths_ = widths;
  HideIncomplete();
  // A server sends the rows as it makes them, a summary goods by goods:
  // the first screen is read, and painted, before the rest.
  const bool server = query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL;
  model_->Load(query, server ? rowsOnScreen() + 1 : qMax(kFirstRows, rowsOnScreen()));
  // Only once the result's columns are there: the header forgets what it
  // hid of a result it no longer shows.
  hideZeroWidths();
  if (model_->rowCount() > 0) setCurrentIndex(model_->index(0, 0));
  FitColumns();
  // A long list shows its first screen now, before the window goes on to
  // its totals, which may take as long again.
  if (model_->Pending() && isVisible()) viewport()->repaint();
}

void DataGrid::Clear() {
  HideIncomplete();
  model_->Clear();
}

void DataGrid::SetColumnWidths(const QList<int>& widths) {
  leastWidths_ = widths;
  hideZeroWidths();
  FitColumns();
}

// Only the columns hidden here are shown again: a window may hide a column
// of its own (a row key) whatever its width.
void DataGrid::hideZeroWidths() {
  for (const int c : std::as_const(hiddenByWidth_))
    if (leastWidths_.value(c, -1) != 0) setColumnHidden(c, false);
  hiddenByWidth_.clear();
  for (int c = 0; c < leastWidths_.size(); ++c) {
    if (leastWidths_[c] != 0) continue;
    setColumnHidden(c, true);
    hiddenByWidth_ << c;
  }
}

int DataGrid::LeastWidth(int column) const {
  return leastWidths_.value(column, horizontalHeader()->defaultSectionSize());
}

// The rows the viewport can show. A grid not yet laid out has no height of
// its own: it measures what its default size shows and measures again when
// the window gives it room (resizeEvent).
int DataGrid::rowsOnScreen() const {
  return viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()) + 1;
}

// Only the titles and the cells on screen are measured, so a list of any
// length costs the same; the widths come from the header that paints the
// titles and, for the cells, from the width the grid's own delegate gives
// a line of text in the grid's font (CellWidth), measured without the
// delegate's layout of every cell, which cost more than reading them.
void DataGrid::FitColumns(bool growOnly) {
  QHeaderView* titles = horizontalHeader();
  const int first = qMax(0, verticalHeader()->logicalIndexAt(0));
  const int last = qMin(model_->rowCount(), first + rowsOnScreen());
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const int gridLine = showGrid() ? 1 : 0;
  const QFontMetricsF metrics(option.font);
  const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  for (int c = 0; c < model_->columnCount(); ++c) {
    // A hidden column keeps no width a title or a cell could widen.
    if (hiddenByWidth_.contains(c)) continue;
    int width = qMax(LeastWidth(c), titles->sectionSizeHint(c));
    for (int r = first; r < last; ++r) {
      const QModelIndex index = model_->index(r, c);
      QAbstractItemDelegate* delegate = itemDelegateForIndex(index);
      const QString text = model_->data(index).toString();
      // A text of several lines, or a delegate of a window's own, is
      // measured as painted.
      const int cell = delegate->metaObject() == &QStyledItemDelegate::staticMetaObject &&
                               !text.contains(QLatin1Char('\n'))
                           ? CellWidth(metrics, textMargin, text)
                           : delegate->sizeHint(option, index).width();
      width = qMax(width, cell + gridLine);
    }
    if (growOnly) width = qMax(width, columnWidth(c));
    if (width != columnWidth(c)) setColumnWidth(c, width);
  }
  fittedRows_ = last - first;
}

void DataGrid::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  PlaceIncomplete();
  if (qMin(model_->rowCount(), rowsOnScreen()) > fittedRows_) FitColumns(true);
}

void DataGrid::SetStripes(RowStripes stripes) {
  model_->SetStripes(stripes);
  viewport()->update();
}

void DataGrid::SetColumnDecimals(const QList<int>& decimals) {
  model_->SetColumnDecimals(decimals);
  viewport()->update();
}

int DataGrid::RecordCount() const { return model_->RecordCount(); }

int DataGrid::CurrentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

QVariant DataGrid::CellValue(int column) const { return model_->Value(CurrentRow(), column); }

QString DataGrid::Cell(int column) const { return CellText(CellValue(column)); }

void DataGrid::keyPressEvent(QKeyEvent* event) {
  emit KeyDown(event->key());
  QTableView::keyPressEvent(event);
  if (!event->text().isEmpty()) emit KeyPress(event->text());
}

void DataGrid::keyboardSearch(const QString&) {}

void DataGrid::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  if (CountsAsFocusMove(event)) emit Enter();
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  dblClickRow_ = indexAt(event->position().toPoint()).row();
  emit DblClick();
}

void DataGrid::ShowIncomplete() {
  QString why;
  try {
    model_->Rows().RaiseIfBroken();
  } catch (const std::exception& error) {
    why = QString::fromUtf8(error.what());
  }
  if (!incomplete_) {
    incomplete_ = new QLabel(this);
    incomplete_->setObjectName(QStringLiteral("incompleteNotice"));
    incomplete_->setWordWrap(true);
    incomplete_->setAutoFillBackground(true);
    incomplete_->setStyleSheet(QStringLiteral("QLabel { background: #ffffe0; color: #a00000; border: 1px solid #a00000; padding: 3px; }"));
  }
  incomplete_->setText(QStringLiteral("列表不完整：只读到前 %1 行，其余没有读出，不能据此打印、导出或合计。\n")
                           .arg(model_->rowCount()) +
                       why);
  PlaceIncomplete();
  incomplete_->show();
  incomplete_->raise();
}

void DataGrid::HideIncomplete() {
  if (incomplete_) incomplete_->hide();
}

void DataGrid::PlaceIncomplete() {
  if (!incomplete_) return;
  const QRect area = viewport()->geometry();
  const int height = qMin(area.height(), incomplete_->heightForWidth(area.width()));
  incomplete_->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
}
