#pragma once
// The program as a user meets it: the main window hidden, the login window
// shown, in a fresh data folder.
#include <memory>

#include "app/denglu.h"
#include "app/zjm.h"

struct LoginFrame {
  std::unique_ptr<Tzhjiemian> main;
  std::unique_ptr<Tdl> login;

  void Open();
  void Close();
  // The administrator types the login and presses Enter.
  void LogInAsAdmin();
  // Runs a menu command by its component name, as a user picks it; the
  // window it shows, or nullptr when the command is off or shows none.
  QWidget* Command(const char* name);
};
