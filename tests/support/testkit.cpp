#include "support/testkit.h"

#include <QKeyEvent>
#include <QProcess>
#include <QQueue>

#include "platform/clock.h"
#include "platform/grid.h"
#include "platform/messages.h"
#include "platform/widgets.h"

namespace {
QQueue<bool>& answers() {
  static QQueue<bool> queue;
  return queue;
}
bool& boxesTurnTheLoop() {
  static bool on = false;
  return on;
}
std::unique_ptr<QTemporaryDir>& dataDir() {
  static std::unique_ptr<QTemporaryDir> dir;
  return dir;
}
}  // namespace

namespace TestKit {
QString FreshDataDir() {
  dataDir() = std::make_unique<QTemporaryDir>();
  qputenv("BRIMWICK_DATA_DIR", dataDir()->path().toUtf8());
  return dataDir()->path();
}

void AnswerNext(std::initializer_list<bool> list) {
  answers().clear();
  for (bool b : list) answers().enqueue(b);
}

QStringList MessageTexts() {
  QStringList texts;
  for (const MessageRecord& r : Messages::Recorded()) texts << r.text;
  return texts;
}

QStringList MessageTitles() {
  QStringList titles;
  for (const MessageRecord& r : Messages::Recorded()) titles << r.title;
  return titles;
}

void ClearMessages() { Messages::ClearRecorded(); }

void BoxesTurnTheEventLoop(bool on) { boxesTurnTheLoop() = on; }

void Start() {
  InstallPlatformDefaults();
  Messages::InstallResponder([](const MessageRecord& record) {
    if (boxesTurnTheLoop()) QTest::qWait(10);
    if (!record.question) return true;
    return answers().isEmpty() ? true : answers().dequeue();
  });
  FreshDataDir();
  Clock::Reset();
}

void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Backspace);
    return;
  }
  // One key a character, as an input method sends them, so Chinese text
  // arrives too (QTest's own typing stops at Latin-1).
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(edit, &release);
  }
}

void ClickRow(QAbstractItemView* grid, int row) {
  const QRect cell = grid->visualRect(grid->model()->index(row, 0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void PressEnter(QWidget* widget) { QTest::keyClick(widget, Qt::Key_Return); }

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
QString SourceFolder() { return QStringLiteral(BRIMWICK_SOURCE_DIR); }
QString DemoFolder() { return SourceFolder() + QStringLiteral("/tools/demo/clinic"); }

QList<int> LeastWidths(const DataGrid* grid, qsizetype count) {
  if (count < 0) count = grid->model()->columnCount();
  QList<int> widths;
  for (int c = 0; c < count; ++c) widths << grid->LeastWidth(c);
  return widths;
}

QString OutsideSqlite(const QString& store, const QString& sql) {
  QProcess sqlite;
  sqlite.start(QStringLiteral("sqlite3"), {store, sql});
  if (!sqlite.waitForFinished(20000) || sqlite.exitCode() != 0)
    return QStringLiteral("sqlite3 failed: ") + QString::fromUtf8(sqlite.readAllStandardError());
  return QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed();
}
}  // namespace TestKit

QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}
