#include "support/loginframe.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "support/testkit.h"

void LoginFrame::Open() {
  TestKit::FreshDataDir();
  main = std::make_unique<Tzhjiemian>();
  login = std::make_unique<Tdl>(main.get());
  main->SetLoginWindow(login.get());
  login->show();
  TestKit::ClearMessages();
}

void LoginFrame::LogInAsAdmin() {
  TestKit::Type(Find<QLineEdit>(login.get(), "Edit4"), "admin");
  TestKit::Type(Find<QLineEdit>(login.get(), "Edit1"), "管理员");
  TestKit::Type(Find<QLineEdit>(login.get(), "Edit3"), "admin");
  TestKit::PressEnter(Find<QLineEdit>(login.get(), "Edit3"));
}

void LoginFrame::Close() {
  login.reset();
  main.reset();
}

QWidget* LoginFrame::Command(const char* name) {
  QAction* action = Find<QAction>(main.get(), name);
  if (!action || !action->isEnabled() || !action->isVisible()) return nullptr;
  action->trigger();
  QMdiSubWindow* frame = main->MdiArea()->activeSubWindow();
  return frame ? frame->widget() : nullptr;
}
