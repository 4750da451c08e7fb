// The Windows entry's two calls.
#pragma once

#include "runtime/form.h"

namespace rt {

// Switches off the system's critical-error boxes and restricts DLL loading to the system
// folder. Called first thing in each program's entry.
void hardenProcess();

// Builds the start-up form's window, raises its load event, shows it and runs the message
// loop until the program ends. Never returns.
[[noreturn]] void startRoutine(const Project& project);

}  // namespace rt
