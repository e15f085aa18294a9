// Injected faults (host_seams.h): the operations that count and may be made to fail.
#pragma once

namespace hostwin {

// Counts one file operation; true when it is the one armed to fail.
bool FileOpFails();

// Counts one HeapAlloc; true when it is the one armed to fail.
bool AllocFails();

}  // namespace hostwin
