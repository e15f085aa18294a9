// What the applet's tests share: the scratch machine with the built applet
// installed, a user agent that records boxes and help requests and runs a
// test's actions inside the modal sheet, and child runs with an
// environment of their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "applet.h"
#include "host/host_seams.h"

inline constexpr char kInstalledApplet[] = "C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL";

// Lays out a machine at root: C:\WINDOWS\SYSTEM with the built applet, the
// sample machine's card.ini and C:\HARMPNP\ZP.INI, and registry.reg with
// the given lines after its header.
void MakeMachine(const std::string& root, const std::string& registryLines = "");
// Puts the sample machine's card.ini and C:\HARMPNP\ZP.INI back.
void PutSampleFiles(const std::string& root);
std::string MachineRoot();  // HOSTWIN_ROOT of this process
// The applet installed in this process's machine, loaded once; its module
// also serves as the linked-in code's ModuleInstance.
HMODULE LoadedApplet();
void UnloadApplet();

struct BoxSeen {
    std::string caption;
    std::string text;
    UINT type;
};

struct HelpSeen {
    std::string file;
    UINT command;
    std::vector<HelpIdPair> pairs;  // the id list, up to and without {0, 0}
};

// Records what the applet shows while installed; step runs once per wait
// of the modal loop, with the sheet, and answers non-zero to go on.
class RecordingAgent {
public:
    RecordingAgent();
    ~RecordingAgent();
    std::vector<BoxSeen> boxes;
    std::vector<HelpSeen> helps;
    std::function<int(HWND sheet)> step;
    int answer = IDOK;
};

// Runs a one-page sheet on the applet's template with proc as the page's
// dialog procedure, calls body with the page once it is shown, then closes
// the sheet with Cancel.  Answers PropertySheetA's result.
INT_PTR RunOnePageSheet(int templateId, DLGPROC proc, const std::function<void(HWND sheet, HWND page)>& body);

// Runs this test program again as a child: argv {self, "--child", mode,
// args...}, environment exactly env.  Answers what it printed.
std::string RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env);
// The child side; answers the exit status.
int ChildMain(int argc, char** argv);

// Bytes with NULs, CRs and LFs shown.
std::string Show(const std::string& bytes);
