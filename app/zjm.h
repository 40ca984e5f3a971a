#pragma once
// The main window: menu, status bar with the login state, the window
// commands that open every work window inside it, return to the login, exit
// and the gradient background.
#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QColorDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPainter;
class QStatusBar;

// Makes a new work window (a plain QWidget). The main window gives it its
// caption and a frame inside the main window, and shows it maximised; a
// window of type Qt::Dialog (the about window) opens centred at its own
// size instead. Window hints it sets on itself (Qt::FramelessWindowHint,
// Qt::WindowSystemMenuHint...) pass to its frame.
using WindowFactory = std::function<QWidget*()>;

// The colour of row y of a gradient of the given height: row 0 has the start
// colour, the last row the end colour; a height of one row (or less) is
// plain start colour.
QColor GradientRowColor(int y, int height, const QColor& start, const QColor& end);

class Tzhjiemian : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tzhjiemian(QWidget* parent = nullptr);
  ~Tzhjiemian() override;

  // The window that ReturnToLogin shows again.
  void SetLoginWindow(QWidget* login);
  // Brings the open work window of this caption to the front, or makes a
  // new one with this caption. Returns its frame, or null when the new
  // window could not open the clinic store (it said why, and is gone).
  QMdiSubWindow* OpenChildByCaption(const QString& caption, const WindowFactory& factory);
  // The login: every command gated by a right off, then on for the rights
  // of the account that logged in; an open window of a command whose right
  // that account lacks is closed.
  void DisableGatedCommands();
  void GrantRights(const QStringList& rights);
  // Paints the bands of the gradient that fall inside area, over the
  // window's outer size.
  void Draw(QPainter& canvas, const QRect& area) const;
  QMdiArea* MdiArea() const { return mdiArea_; }

  QColor GradientStartColor{255, 255, 0};
  QColor GradientEndColor{255, 0, 0};

 public slots:
  // Window commands: each opens its window by OpenChildByCaption.
  void N4Click();
  void N40Click();
  void N41Click();
  void N15Click();
  void N42Click();
  void N33Click();
  void N7Click();
  void NypzlClick();
  void NyprkClick();
  void N13Click();
  void N14Click();
  void N25Click();
  void N26Click();
  void N10Click();
  void N43Click();
  void N39Click();
  void N24Click();
  void N23Click();
  void N29Click();
  void NfwlbClick();
  void N44Click();
  void N28Click();
  void N38Click();
  void N331Click();
  void N22Click();
  void N35Click();
  void N36Click();
  void N21Click();
  void N37Click();
  void N31Click();
  void N11Click();
  void N12Click();
  void N18Click();
  void N19Click();
  void N32Click();
  // Other commands.
  void N30Click();
  void N27Click();
  void N16Click();
  void N17Click();
  void FormDblClick();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildMenu();
  void BuildStatusBar();
  void RunCommand(const char* handler);
  void UpdateTitle();

  QMdiArea* mdiArea_ = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Image2 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QColorDialog* ColorDialog1 = nullptr;
  bool updatingTitle_ = false;
  QList<QAction*> commandActions_;  // one per row of the command table
  QPointer<QWidget> dl_;
  bool exiting_ = false;
};
