#include "platform/messages.h"

#include <QApplication>
#include <QMessageBox>

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
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

bool deliver(const MessageRecord& record) {
  if (responder()) {
    recorded().append(record);
    return responder()(record);
  }
  // No owner window: the boxes stand on their own, as the windows expect.
  QMessageBox box(BoxIcon(record.icon), record.title, record.text,
                  record.question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec() == QMessageBox::Yes;
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
QString ProgramTitle() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Brimwick") : name;
}
}  // namespace Messages

void ShowMessage(const QString& text) { ShowMessage(text, Messages::ProgramTitle()); }

void ShowMessage(const QString& text, const QString& title) {
  deliver({title, text, false, MessageIcon::None});
}

void ShowError(const QString& text) {
  deliver({Messages::ProgramTitle(), text, false, MessageIcon::Warning});
}

bool AskYesNo(const QString& text, const QString& title) {
  return deliver({title, text, true, MessageIcon::Question});
}

void ShowExclamation(const QString& text, const QString& title) {
  deliver({title, text, false, MessageIcon::Exclamation});
}

bool AskYesNoExclamation(const QString& text, const QString& title) {
  return deliver({title, text, true, MessageIcon::Exclamation});
}
