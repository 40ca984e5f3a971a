#pragma once
// The main window's table of window commands: which slot opens which window
// under which caption, menu item and heading, and the right it needs. The
// table alone knows every window of the program, so that the main window
// itself depends on none of them.
#include <span>

class QWidget;

namespace MainCommands {
inline constexpr const char* kHelp = "帮助";
// The laid-out menu headings, left to right; 返回界面 and 退出 follow, then
// 帮助, and after it the headings of the clinic's commands.
inline constexpr const char* kHeadings[] = {"资料维护", "产品入库操作", "产品出库操作", "系统设置", "财务统计"};
inline constexpr const char* kClinicHeadings[] = {"药房管理", "门诊前台", "统计报表"};

struct WindowCommand {
  const char* handler;  // its slot; the menu item is named without "Click"
  const char* caption;  // the caption of the window it opens
  const char* item;     // the menu item's text
  const char* heading;  // the menu heading the item stands under
  const char* right;    // the right that enables it, or none
  QWidget* (*make)();   // none until the window is written: then not shown
};

// Every window command, in the order of their menu items.
std::span<const WindowCommand> All();
}  // namespace MainCommands
