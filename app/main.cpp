// Quillmoor's entry. Everything happens in RunProgram; the switches for unattended runs
// (app/Automation.h) do nothing unless their environment variables are set.
#include "app/Automation.h"
#include "app/Startup.h"
#include "control/kvExtDlgs.h"

int main(int argc, char** argv)
{
    // Files are chosen in the open dialog with its preview; the unattended switches may
    // replace every dialog afterwards.
    static TMediaPrompts mediaPrompts;
    setPrompts(&mediaPrompts);
    InstallAutomationHooks();
    return RunProgram(argc, argv);
}
