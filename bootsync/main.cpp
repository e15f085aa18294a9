// bootsync: no window, no output; the exit code is always 1.
#include "bootsync.h"

int main() { return RunBootSync(); }
