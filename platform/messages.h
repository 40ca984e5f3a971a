#pragma once
// Message boxes of every window. Tests install a responder that records each
// box and answers questions without showing anything.
#include <QString>
#include <QList>
#include <QStringList>
#include <functional>

// The icon a box shows; the exclamation mark warns before a step that
// cannot be undone or explains why one was refused.
enum class MessageIcon { None, Warning, Question, Exclamation, Information };

struct MessageRecord {
  QString title;
  QString text;
  bool question = false;
  MessageIcon icon = MessageIcon::None;
};

// A plain information box under the program's title.
void ShowMessage(const QString& text);
// A plain box with a title of its own (the shop windows' error boxes).
void ShowMessage(const QString& text, const QString& title);
// A warning box: database and device errors that stop a handler.
void ShowError(const QString& text);
// Yes/No question with the question icon; true when the user says Yes.
bool AskYesNo(const QString& text, const QString& title);
// An OK box with the exclamation icon under a title of its own.
void ShowExclamation(const QString& text, const QString& title);
// An OK box with the information icon under a title of its own.
void ShowInformation(const QString& text, const QString& title);
// Yes/No question with the exclamation icon; true when the user says Yes.
bool AskYesNoExclamation(const QString& text, const QString& title);

namespace Messages {
// Installs a responder; every later box is recorded and answered by it
// (its result is the answer to a question, ignored for plain boxes).
void InstallResponder(std::function<bool(const MessageRecord&)> responder);
void RemoveResponder();
// The boxes recorded since the responder was installed or cleared.
const QList<MessageRecord>& Recorded();
void ClearRecorded();
// Title of plain boxes (the application's title).
QString ProgramTitle();
// The box about to be shown says why a step failed, and the steps after it
// in the same handler may fail for the same reason (a list read again on a
// connection that is gone): an error box that follows before control
// returns to the event loop is not shown when its text begins with one of
// these (once), so that the clerk reads one sentence per failure.
void SayOnce(const QStringList& beginnings);
}  // namespace Messages
