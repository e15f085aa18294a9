// panelrun: opens the control-panel applet through the shell's applet runner
// and ends at once.
#pragma once

#include "platform.h"

// The whole run; the exit code is 0 on every path.
int RunPanelLauncher();

// Starts windowsDirectory\RUNDLL32.EXE on the applet without waiting for it.
// Returns the runner's process handle, or null when nothing was started
// (no runner, no room for the path, or the start failed).
HANDLE StartAppletRunner(const char* windowsDirectory);
