#pragma once
// The login state lives in the main window's status bar; windows of every
// folder read it from here without knowing the main window.
#include <QString>
#include <functional>

class QLabel;

namespace Session {
// The main window hands over its two status-bar panels.
void SetPanels(QLabel* accountPanel, QLabel* userNamePanel);
// Written only by the login.
void SetLogin(const QString& account, const QString& userName);
// Installed by the main window: hide it and show the login window again.
void SetReturnToLogin(std::function<void()> handler);
}  // namespace Session

// Panel 1 of the status bar, trimmed.
QString CurrentAccount();
// Panel 3 of the status bar, trimmed.
QString CurrentUserName();
// Hides the main window and shows the login window.
void ReturnToLogin();
