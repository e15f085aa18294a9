// What PropertySheetA returned to the applet, for the transcript's sheet
// line: cplhost's own PropertySheetA takes the applet's call, runs the host
// layer's sheet and notes the result.
#pragma once

#include <vector>

#include "platform.h"

// The results of the sheets run since the last call, in order.
std::vector<INT_PTR> TakeSheetResults();
