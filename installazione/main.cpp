// Entry of the CD setup chooser: everything else is the runtime's and Form1's.
#include <windows.h>

#include "Form1.h"
#include "runtime/start.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    rt::hardenProcess();
    rt::startRoutine(chooser::kProject);
}
