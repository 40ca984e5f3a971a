#include "platform/session.h"

#include <QLabel>
#include <QPointer>

namespace {
struct State {
  QPointer<QLabel> account;
  QPointer<QLabel> userName;
  std::function<void()> returnToLogin;
};
State& state() {
  static State s;
  return s;
}
}  // namespace

namespace Session {
void SetPanels(QLabel* accountPanel, QLabel* userNamePanel) {
  state().account = accountPanel;
  state().userName = userNamePanel;
}
void SetLogin(const QString& account, const QString& userName) {
  if (state().account) state().account->setText(account);
  if (state().userName) state().userName->setText(userName);
}
void SetReturnToLogin(std::function<void()> handler) { state().returnToLogin = std::move(handler); }
}  // namespace Session

QString CurrentAccount() { return state().account ? state().account->text().trimmed() : QString(); }
QString CurrentUserName() { return state().userName ? state().userName->text().trimmed() : QString(); }
void ReturnToLogin() {
  if (state().returnToLogin) state().returnToLogin();
}
