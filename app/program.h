#pragma once
// Program start: the main window hidden, the login window shown, one event
// loop for the whole run.
int RunProgram(int argc, char** argv);
