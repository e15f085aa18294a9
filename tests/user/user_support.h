// What the window layer's tests share: a dialog procedure that writes down
// what its dialog is told, and the test dialog.
#pragma once

#include "host/host_seams.h"
#include "test_ids.h"

#include <functional>
#include <string>
#include <vector>

// Lines such as "command 10 0" (id, code) and "notify 16 changed 2 0->3"
// (id, code name, item, old and new state; " text" added when the text
// changed), in order.
extern std::vector<std::string> g_log;

// Answers for notifications: code -> what the dialog procedure returns
// through DWL_MSGRESULT; absent codes answer 0.
extern std::function<LRESULT(HWND, const NMHDR*)> g_notifyAnswer;

INT_PTR CALLBACK RecordingProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

// The IDD_CONTROLS dialog, with a fresh log.
HWND CreateControlsDialog();

// The lines of the log since the last call, cleared.
std::vector<std::string> TakeLog();

std::string TextOf(HWND wnd);
