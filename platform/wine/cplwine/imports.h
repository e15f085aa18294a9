// Redirecting one imported function of a loaded library: the test harness's
// way to see the applet's calls that leave no trace on the screen.
#pragma once

#include "platform.h"

// Replaces the import slot of dll!function in module by replacement; the
// previous target is stored in *original.  Answers false when module does
// not import that function.
bool RedirectImport(HMODULE module, const char* dll, const char* function, void* replacement, void** original);
