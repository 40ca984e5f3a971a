#include "support/loginframe.h"

#include "support/testkit.h"

void LoginFrame::Open() {
  TestKit::FreshDataDir();
  main = std::make_unique<Tzhjiemian>();
  login = std::make_unique<Tdl>(main.get());
  main->SetLoginWindow(login.get());
  login->show();
  TestKit::ClearMessages();
}

void LoginFrame::Close() {
  login.reset();
  main.reset();
}
