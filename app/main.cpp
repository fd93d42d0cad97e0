// Quillmoor's entry. Everything happens in RunProgram; the switches for unattended runs
// (app/Automation.h) do nothing unless their environment variables are set.
#include "app/Automation.h"
#include "app/Startup.h"

int main(int argc, char** argv)
{
    InstallAutomationHooks();
    return RunProgram(argc, argv);
}
