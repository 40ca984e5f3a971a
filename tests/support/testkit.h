#pragma once
// What every test program shares: a QApplication on the offscreen platform,
// a fresh data folder per test, message boxes answered and recorded, and
// small helpers to drive windows by their component names.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class DataGrid;

namespace TestKit {
// Points the data folder at a new empty temporary folder (kept until the
// next call or the end of the program). Returns its path.
QString FreshDataDir();
// Answers for the next questions, in order; once used up, questions are
// answered Yes.
void AnswerNext(std::initializer_list<bool> answers);
// Texts of the boxes shown since the last ClearMessages().
QStringList MessageTexts();
QStringList MessageTitles();
void ClearMessages();
// Boxes turn the event loop while they are answered, as a real box's own
// loop does: timers fire and posted events arrive before the box returns.
void BoxesTurnTheEventLoop(bool on);
// Sets up the process: offscreen platform, defaults, recorder.
void Start();

// Replaces the box's text as a user would: select all, type.
void Type(QLineEdit* edit, const QString& text);
// Clicks the first cell of a row of a grid.
void ClickRow(QAbstractItemView* grid, int row);
void PressEnter(QWidget* widget);
void Click(QAbstractButton* button);
// A grid's least column widths, of its first count columns (all when
// count is negative): a column grows past its own only to show its values
// whole.
QList<int> LeastWidths(const DataGrid* grid, qsizetype count = -1);
// What an outside sqlite3 process prints for a statement: it opens the
// store, runs the statement and closes the store again. On a failure, the
// text says so with sqlite3's error.
QString OutsideSqlite(const QString& store, const QString& sql);
// The source tree, and the demo data shipped in it, wherever the tests
// were built from.
QString SourceFolder();
QString DemoFolder();
}  // namespace TestKit

// The texts a choice box lists, in order.
QStringList Items(const QComboBox* box);

// Finds a component by its name below root; fails the test when missing.
template <typename T>
T* Find(QObject* root, const QString& name) {
  T* found = root->findChild<T*>(name);
  if (!found) QTest::qFail(qPrintable(QStringLiteral("no component named ") + name), __FILE__, __LINE__);
  return found;
}

#define BRIMWICK_TEST_MAIN(TestClass)          \
  int main(int argc, char** argv) {            \
    QApplication app(argc, argv);              \
    TestKit::Start();                          \
    TestClass test;                            \
    return QTest::qExec(&test, argc, argv);    \
  }
