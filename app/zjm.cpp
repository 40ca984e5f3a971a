#include "app/zjm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>

#include "app/pictures.h"
#include "app/program.h"
#include "app/windowcommands.h"
#include "db/clinicdb.h"
#include "db/sql.h"
#include "platform/formevents.h"
#include "platform/messages.h"
#include "platform/pdfnotice.h"
#include "platform/session.h"
#include "platform/widgets.h"

namespace {
const QString kExitQuestion = QStringLiteral("您确定要退出本系统吗？");
const QString kExitTitle = QStringLiteral("退出本系统提示");
// The property of a work window's frame that names the right its command
// needs, so that a later login without that right closes it.
const char* const kRightProperty = "brimwickRight";
const char* const kMaximisedProperty = "brimwickMaximised";
const char* const kTitle = "Brimwick";

using MainCommands::kClinicHeadings;
using MainCommands::kHeadings;
using MainCommands::kHelp;
using MainCommands::WindowCommand;
const std::span<const WindowCommand> kCommands = MainCommands::All();

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// The program's usual colours, every role set, so that the main window's
// desktop colour does not reach the bars and work windows.
QPalette PlainPalette() {
  QPalette palette = QApplication::palette();
  palette.setResolveMask(~QPalette::ResolveMask(0));
  return palette;
}

// The main window's background: the gradient, painted by the main window.
class Canvas : public QMdiArea {
 public:
  explicit Canvas(Tzhjiemian* owner) : QMdiArea(owner), owner_(owner) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(viewport());
    owner_->Draw(painter, event->rect());
  }
  // Only a double click on the background itself, not one that a work
  // window left unhandled nor one on the pictures standing on it.
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    for (QWidget* hit = viewport()->childAt(event->position().toPoint()); hit && hit != viewport();
         hit = hit->parentWidget())
      if (qobject_cast<QMdiSubWindow*>(hit)) return QMdiArea::mouseDoubleClickEvent(event);
    if (OnOwnBackground(viewport(), event->position())) owner_->FormDblClick();
  }

 private:
  Tzhjiemian* owner_;
};

// A work window that closes itself (its own "离开") takes its frame along;
// whether it agreed to close is known only after its own close handler.
class FrameCloser : public QObject {
 public:
  FrameCloser(QWidget* window, QMdiSubWindow* frame) : QObject(window), window_(window), frame_(frame) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Close && frame_) {
      QMetaObject::invokeMethod(
          frame_.data(),
          [frame = frame_, window = window_] {
            if (frame && !frame->isHidden() && (!window || window->isHidden())) frame->close();
          },
          Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QPointer<QWidget> window_;
  QPointer<QMdiSubWindow> frame_;
};
}  // namespace

QColor GradientRowColor(int y, int height, const QColor& start, const QColor& end) {
  if (height <= 1) return QColor(start.red(), start.green(), start.blue());
  const auto channel = [&](int from, int to) {
    // Truncated toward zero, as the bands always were.
    return (from + static_cast<int>(static_cast<double>((to - from) * y) / (height - 1))) & 0xFF;
  };
  return QColor(channel(start.red(), end.red()), channel(start.green(), end.green()),
                channel(start.blue(), end.blue()));
}

Tzhjiemian::Tzhjiemian(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("zhjiemian"));
  setWindowTitle(Text(kTitle));
  setWindowIcon(Glyph(QStringLiteral("icon.png")));
  // No close box: the exit command is the way out.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  QFont font(QStringLiteral("新宋体"));
  font.setPixelSize(19);
  setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, DesktopColor());
  setPalette(palette);
  resize(1022, 735);
  if (const QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());

  mdiArea_ = new Canvas(this);
  mdiArea_->setObjectName(QStringLiteral("MdiArea"));
  mdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  mdiArea_->setFrameShape(QFrame::NoFrame);
  setCentralWidget(mdiArea_);
  Image2 = new QLabel(mdiArea_->viewport());
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setPixmap(Picture(QStringLiteral("emblem.png")));
  Image2->setGeometry(160, 184, 841, 289);
  Image1 = new QLabel(mdiArea_->viewport());
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, 105, 105);
  // Empty and transparent, it shows nothing: a double click there lands on
  // the background the clerk sees.
  Image1->setAttribute(Qt::WA_TransparentForMouseEvents);

  ColorDialog1 = new QColorDialog(this);
  ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));

  BuildMenu();
  BuildStatusBar();
  // The title names the maximised work window while one is shown, and
  // only that one.
  connect(mdiArea_, &QMdiArea::subWindowActivated, this, &Tzhjiemian::UpdateTitle);
  Session::SetReturnToLogin([self = QPointer<Tzhjiemian>(this)] {
    if (!self) return;
    self->hide();
    if (self->dl_) {
      self->dl_->show();
      self->dl_->raise();
      self->dl_->activateWindow();
    }
  });
}

// The area and its work windows are destroyed after this part of the main
// window: the activations and state changes they signal on the way out
// must not reach it.
Tzhjiemian::~Tzhjiemian() {
  for (QMdiSubWindow* frame : mdiArea_->subWindowList()) frame->disconnect(this);
  mdiArea_->disconnect(this);
}

void Tzhjiemian::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  bar->setFont(QApplication::font());
  bar->setPalette(PlainPalette());
  QHash<QString, QMenu*> menus;
  for (const char* heading : kHeadings) menus.insert(Text(heading), bar->addMenu(Text(heading)));
  const auto addItem = [this](QWidget* where, const QString& text, const QString& name, void (Tzhjiemian::*handler)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    where->addAction(action);
    connect(action, &QAction::triggered, this, handler);
  };
  addItem(bar, QStringLiteral("返回界面"), QStringLiteral("N30"), &Tzhjiemian::N30Click);
  addItem(bar, QStringLiteral("退出"), QStringLiteral("N27"), &Tzhjiemian::N27Click);
  menus.insert(Text(kHelp), bar->addMenu(Text(kHelp)));
  for (const char* heading : kClinicHeadings) menus.insert(Text(heading), bar->addMenu(Text(heading)));

  for (const WindowCommand& command : kCommands) {
    auto* action = new QAction(Text(command.item), this);
    QString name = Text(command.handler);
    name.chop(5);  // "Click"
    action->setObjectName(name);
    if (command.make) menus.value(Text(command.heading))->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, handler = command.handler] { QMetaObject::invokeMethod(this, handler); });
    commandActions_ << action;
  }
  findChild<QAction*>(QStringLiteral("N7"))->setIcon(Glyph(QStringLiteral("glyph-about.png")));
  addItem(menus.value(Text(kHelp)), QStringLiteral("开始颜色"), QStringLiteral("N16"), &Tzhjiemian::N16Click);
  addItem(menus.value(Text(kHelp)), QStringLiteral("结束颜色"), QStringLiteral("N17"), &Tzhjiemian::N17Click);

  // A heading whose windows are all still to come is not shown.
  for (QMenu* menu : std::as_const(menus)) menu->menuAction()->setVisible(!menu->isEmpty());
}

void Tzhjiemian::BuildStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setFont(QApplication::font());
  StatusBar1->setPalette(PlainPalette());
  StatusBar1->setAutoFillBackground(true);
  StatusBar1->setSizeGripEnabled(false);
  const QString texts[] = {QStringLiteral("     帐号："), QString(), QStringLiteral("    姓名："), QString()};
  const int widths[] = {50, 200, 50, 200};
  QLabel* panels[4];
  for (int i = 0; i < 4; ++i) {
    panels[i] = new QLabel(texts[i], StatusBar1);
    panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
    panels[i]->setTextFormat(Qt::PlainText);
    panels[i]->setMinimumWidth(widths[i]);
    StatusBar1->addWidget(panels[i]);
  }
  Session::SetPanels(panels[1], panels[3]);

  // Without a printer a document becomes a file: the status bar names it
  // for a minute after each print, so the user knows where to find it.
  auto* printed = new QLabel(StatusBar1);
  printed->setObjectName(QStringLiteral("PrintedFile"));
  printed->setTextFormat(Qt::PlainText);
  StatusBar1->addPermanentWidget(printed);
  auto* fade = new QTimer(printed);
  fade->setSingleShot(true);
  fade->setInterval(60 * 1000);
  connect(fade, &QTimer::timeout, printed, &QLabel::clear);
  OnPdfWritten([printed = QPointer<QLabel>(printed), fade](const QString& file) {
    QMetaObject::invokeMethod(qApp, [printed, fade, file] {
      if (!printed) return;
      printed->setText(QStringLiteral("打印文件：") + QDir::toNativeSeparators(file));
      fade->start();
    });
  });

  // Said once, at start: a password that anyone on the machine can read.
  if (ClinicPasswordExposed()) {
    auto* warning = new QLabel(QStringLiteral("注意：brimwick.ini 中有诊所数据库的密码，其他用户也能读取它；"
                                              "请在数据文件夹中执行 chmod 600 brimwick.ini"),
                               StatusBar1);
    warning->setObjectName(QStringLiteral("IniWarning"));
    StatusBar1->addPermanentWidget(warning);
  }
}

void Tzhjiemian::SetLoginWindow(QWidget* login) { dl_ = login; }

QMdiSubWindow* Tzhjiemian::OpenChildByCaption(const QString& caption, const WindowFactory& factory) {
  // Making, showing and raising a window runs none of its entry or exit
  // handlers, whatever controls Qt passes the focus through meanwhile.
  const WindowOpening opening;
  const QList<QMdiSubWindow*> frames = mdiArea_->subWindowList(QMdiArea::CreationOrder);
  for (QMdiSubWindow* frame : frames) {
    const QString current = frame->widget() ? frame->widget()->windowTitle() : frame->windowTitle();
    if (current != caption) continue;
    if (frame->isMinimized()) {
      if (frame->property(kMaximisedProperty).toBool())
        frame->showMaximized();
      else
        frame->showNormal();
    }
    frame->show();
    mdiArea_->setActiveSubWindow(frame);
    frame->raise();
    return frame;
  }

  const int failedOpenings = FailedClinicOpenings();
  QWidget* window = factory();
  // Kept, a window without its store would fail at every step, even once
  // the store is back; made again, it opens the store again.
  if (FailedClinicOpenings() != failedOpenings) {
    delete window;
    return nullptr;
  }
  window->setWindowTitle(caption);
  const bool maximised = window->windowType() != Qt::Dialog;
  const Qt::WindowFlags hints = window->windowFlags() & ~Qt::WindowType_Mask;
  QMdiSubWindow* frame = mdiArea_->addSubWindow(window, hints ? (Qt::SubWindow | hints) : Qt::WindowFlags());
  frame->setAttribute(Qt::WA_DeleteOnClose);
  frame->setWindowTitle(caption);
  frame->setProperty(kMaximisedProperty, maximised);
  // A work window keeps its own look, not the main window's large font and
  // desktop colour.
  frame->setFont(QApplication::font());
  frame->setPalette(PlainPalette());
  new FrameCloser(window, frame);
  SettleFocusOnClose(frame);
  connect(frame, &QMdiSubWindow::windowStateChanged, this, &Tzhjiemian::UpdateTitle);
  connect(frame, &QObject::destroyed, this, &Tzhjiemian::UpdateTitle, Qt::QueuedConnection);
  if (maximised) {
    frame->showMaximized();
  } else {
    frame->adjustSize();
    const QSize room = mdiArea_->viewport()->size();
    frame->move(std::max(0, (room.width() - frame->width()) / 2), std::max(0, (room.height() - frame->height()) / 2));
    frame->show();
  }
  mdiArea_->setActiveSubWindow(frame);
  return frame;
}

void Tzhjiemian::RunCommand(const char* handler) {
  for (const WindowCommand& command : kCommands) {
    if (qstrcmp(command.handler, handler) != 0) continue;
    if (!command.make) return;
    try {
      QMdiSubWindow* frame = OpenChildByCaption(Text(command.caption), command.make);
      if (frame && command.right) frame->setProperty(kRightProperty, Text(command.right));
    } catch (const DbError& e) {
      // A window that cannot even be made says why, and nothing opens.
      ShowError(e.text());
    } catch (const std::exception& e) {
      ShowError(QString::fromLocal8Bit(e.what()));
    }
    return;
  }
}

void Tzhjiemian::DisableGatedCommands() {
  for (int i = 0; i < commandActions_.size(); ++i)
    if (kCommands[i].right) commandActions_[i]->setEnabled(false);
}

void Tzhjiemian::GrantRights(const QStringList& rights) {
  for (int i = 0; i < commandActions_.size(); ++i)
    if (kCommands[i].right) commandActions_[i]->setEnabled(rights.contains(Text(kCommands[i].right)));
  const QList<QMdiSubWindow*> frames = mdiArea_->subWindowList(QMdiArea::CreationOrder);
  for (QMdiSubWindow* frame : frames) {
    const QString right = frame->property(kRightProperty).toString();
    if (!right.isEmpty() && !rights.contains(right)) frame->close();
  }
}

void Tzhjiemian::Draw(QPainter& canvas, const QRect& area) const {
  // The bands run over the outer height, caption and menu included, so the
  // end colour lies below what the user sees.
  const QRect outer = frameGeometry();
  const int height = outer.height();
  const int last = std::min(height - 1, area.bottom());
  for (int y = std::max(0, area.top()); y <= last; ++y)
    canvas.fillRect(0, y, outer.width(), 1, GradientRowColor(y, height, GradientStartColor, GradientEndColor));
}

#define WINDOW_COMMAND(handler) \
  void Tzhjiemian::handler() { RunCommand(#handler); }
WINDOW_COMMAND(N4Click)
WINDOW_COMMAND(N40Click)
WINDOW_COMMAND(N41Click)
WINDOW_COMMAND(N15Click)
WINDOW_COMMAND(N42Click)
WINDOW_COMMAND(N33Click)
WINDOW_COMMAND(N7Click)
WINDOW_COMMAND(NypzlClick)
WINDOW_COMMAND(NyprkClick)
WINDOW_COMMAND(N13Click)
WINDOW_COMMAND(N14Click)
WINDOW_COMMAND(N25Click)
WINDOW_COMMAND(N26Click)
WINDOW_COMMAND(N10Click)
WINDOW_COMMAND(N43Click)
WINDOW_COMMAND(N39Click)
WINDOW_COMMAND(N24Click)
WINDOW_COMMAND(N23Click)
WINDOW_COMMAND(N29Click)
WINDOW_COMMAND(NfwlbClick)
WINDOW_COMMAND(N44Click)
WINDOW_COMMAND(N28Click)
WINDOW_COMMAND(N38Click)
WINDOW_COMMAND(N331Click)
WINDOW_COMMAND(N22Click)
WINDOW_COMMAND(N35Click)
WINDOW_COMMAND(N36Click)
WINDOW_COMMAND(N21Click)
WINDOW_COMMAND(N37Click)
WINDOW_COMMAND(N31Click)
WINDOW_COMMAND(N11Click)
WINDOW_COMMAND(N12Click)
WINDOW_COMMAND(N18Click)
WINDOW_COMMAND(N19Click)
WINDOW_COMMAND(N32Click)
#undef WINDOW_COMMAND

void Tzhjiemian::N30Click() { ReturnToLogin(); }

void Tzhjiemian::FormDblClick() { ReturnToLogin(); }

void Tzhjiemian::N27Click() {
  if (!AskYesNo(kExitQuestion, kExitTitle)) return;
  exiting_ = true;
  TerminateProgram();
}

void Tzhjiemian::N16Click() {
  // The new colour shows at the next paint; the command repaints nothing.
  if (const auto colour = PickColor(GradientStartColor, ColorDialog1)) GradientStartColor = *colour;
}

void Tzhjiemian::N17Click() {
  if (const auto colour = PickColor(GradientEndColor, ColorDialog1)) GradientEndColor = *colour;
}

void Tzhjiemian::UpdateTitle() {
  // Qt's frames write "title - [caption]" themselves on maximising, from a
  // title each remembers, and never take it back when closed: the title is
  // worked out here from what is shown instead.
  if (!mdiArea_) return;  // still being built
  QString title = Text(kTitle);
  QMdiSubWindow* shown = mdiArea_->activeSubWindow();
  if (!shown || !shown->isMaximized() || shown->isHidden()) {
    shown = nullptr;
    const QList<QMdiSubWindow*> stacked = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    for (auto frame = stacked.crbegin(); frame != stacked.crend() && !shown; ++frame)
      if ((*frame)->isMaximized() && !(*frame)->isHidden()) shown = *frame;
  }
  if (shown) title += QStringLiteral(" - [%1]").arg(shown->windowTitle());
  if (windowTitle() != title) setWindowTitle(title);
}

void Tzhjiemian::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowTitleChange && !updatingTitle_) {
    updatingTitle_ = true;
    UpdateTitle();
    updatingTitle_ = false;
  }
}

void Tzhjiemian::closeEvent(QCloseEvent* event) {
  // Closed through the window manager: the same question as 退出.
  if (exiting_) return event->accept();
  if (!AskYesNo(kExitQuestion, kExitTitle)) return event->ignore();
  exiting_ = true;
  event->accept();
  TerminateProgram();
}

void Tzhjiemian::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Every band depends on the outer height: the whole canvas changes.
  mdiArea_->viewport()->update();
}
