#include "platform/messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {
std::function<bool(const MessageRecord&)>& responder() {
  static std::function<bool(const MessageRecord&)> r;
  return r;
}
QList<MessageRecord>& recorded() {
  static QList<MessageRecord> list;
  return list;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// The window the user is working in: the box belongs to it.
QWidget* OwnerWindow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (QWidget* active = QApplication::activeWindow()) return active;
  if (QWidget* focus = QApplication::focusWidget()) return focus->window();
  return nullptr;
}

// What the failure box of the running handler said already (SayOnce).
QStringList& saidOnce() {
  static QStringList beginnings;
  return beginnings;
}

bool showBox(const MessageRecord& record) {
  if (responder()) {
    recorded().append(record);
    return responder()(record);
  }
  // A box stands above the window that raised it: owned by it, so the
  // window manager keeps it in front, and on top as well when that window
  // stays on top (the login), or the box would open behind it with the
  // keyboard and the login would look frozen.
  QWidget* owner = OwnerWindow();
  QMessageBox box(BoxIcon(record.icon), record.title, record.text,
                  record.question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
  if (owner && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes;
}

// Boxes open now: a box waits in an event loop of its own, which must not
// end what its handler said before control returns to the main loop.
int& boxesOpen() {
  static int open = 0;
  return open;
}

// Once the handler that said its failure returns to the event loop, its
// next box is a new failure's.
void forgetSaidOnceLater() {
  QTimer::singleShot(0, qApp, [] {
    if (boxesOpen() == 0) saidOnce().clear();
  });
}

bool deliver(const MessageRecord& record) {
  ++boxesOpen();
  const bool yes = showBox(record);
  --boxesOpen();
  if (!saidOnce().isEmpty()) forgetSaidOnceLater();
  return yes;
}

bool repeatsTheFailureSaid(const QString& text) {
  for (const QString& beginning : saidOnce())
    if (text.startsWith(beginning)) {
      saidOnce().clear();
      return true;
    }
  return false;
}
}  // namespace

namespace Messages {
void InstallResponder(std::function<bool(const MessageRecord&)> r) {
  responder() = std::move(r);
  recorded().clear();
}
void RemoveResponder() { responder() = nullptr; }
const QList<MessageRecord>& Recorded() { return recorded(); }
void ClearRecorded() { recorded().clear(); }
// Not the application's display name: set, the window system would add it
// to every window's caption as well.
QString ProgramTitle() { return QStringLiteral("Brimwick"); }
void SayOnce(const QStringList& beginnings) {
  saidOnce() = beginnings;
  forgetSaidOnceLater();
}
}  // namespace Messages

void ShowMessage(const QString& text) { ShowMessage(text, Messages::ProgramTitle()); }

void ShowMessage(const QString& text, const QString& title) {
  deliver({title, text, false, MessageIcon::None});
}

void ShowError(const QString& text) {
  if (repeatsTheFailureSaid(text)) return;
  deliver({Messages::ProgramTitle(), text, false, MessageIcon::Warning});
}

bool AskYesNo(const QString& text, const QString& title) {
  return deliver({title, text, true, MessageIcon::Question});
}

void ShowExclamation(const QString& text, const QString& title) {
  deliver({title, text, false, MessageIcon::Exclamation});
}

void ShowInformation(const QString& text, const QString& title) {
  deliver({title, text, false, MessageIcon::Information});
}

bool AskYesNoExclamation(const QString& text, const QString& title) {
  return deliver({title, text, true, MessageIcon::Exclamation});
}
