#pragma once
// What the report window tests share: a user logged in on the status-bar
// panels the windows read, and a window shown and active, as the main
// window shows its work windows.
#include <QLabel>
#include <QTest>
#include <QWidget>

#include "platform/session.h"

class ReportLogin {
 public:
  ReportLogin() {
    Session::SetPanels(&account_, &userName_);
    Session::SetLogin(QStringLiteral("acc01"), QStringLiteral("收银01"));
  }

 private:
  QLabel account_;
  QLabel userName_;
};

// Shows the window at a working size; true once it holds the focus.
inline bool ShowActive(QWidget& window) {
  window.resize(1200, 800);
  window.show();
  window.activateWindow();
  return QTest::qWaitForWindowActive(&window);
}
