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
};
