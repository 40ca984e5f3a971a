#pragma once
// Program start: the main window hidden, the login window shown, one event
// loop for the whole run.
int RunProgram(int argc, char** argv);

// Ends the run at once: the one event loop returns and the program ends.
// Used by the login's exit button and the main window's exit command.
void TerminateProgram();
// How often TerminateProgram was asked (tests, which run without the loop).
int TerminationRequests();
