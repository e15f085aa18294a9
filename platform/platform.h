// The one header through which the system reaches Windows.
//
// On Windows it brings in the toolchain's SDK headers; everywhere else it
// declares our own host layer, a small model of the same interfaces with the
// same names, widths and documented behaviour.  The system's code includes
// this header and the standard library, nothing else.
#pragma once

#if defined(_WIN32)
#include "win32/win32.h"
#else
#include "host/hostwin.h"
#endif
