#pragma once

#include "app/AppParts.h"

class QWidget;

// The program entry: single-instance guard, application object, data module (its
// configuration check ends the program with exit code 0 after an error box), main window,
// message loop. Returns the process's exit code.
int RunNodeShift(int argc, char* argv[], const AppParts& parts);

// Brings the window to the front: restored when minimized, raised and activated.
void ActivateMainWindow(QWidget* window);
