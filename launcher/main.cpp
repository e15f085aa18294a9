// panelrun: no window, no output; the exit code is always 0.
#include "panelrun.h"

int main() { return RunPanelLauncher(); }
