// The runtime operations the handlers call, named as the forms language names them.
#pragma once

#include <string>

#include "runtime/variant.h"

namespace rt {

constexpr int vbNormal = 0;       // directory search attributes: plain files
constexpr int vbNormalFocus = 1;  // program start: normal window with the focus
constexpr int vbOKOnly = 0;       // message box buttons

// The first name that matches the path or pattern, or the empty string when none does
// (also for a missing folder or a drive that is not ready). A malformed path is an error.
std::wstring Dir(const std::wstring& pathName, int attributes);

// Makes the folder; a folder that already exists is no error.
void MkDir(const std::wstring& path);

// Deletes the files whose long names match the pattern; no match is no error.
void Kill(const std::wstring& pattern);

// The automation object registered under `progId`, created on this machine.
Variant CreateObject(const std::wstring& progId, const Variant& serverName = {});

// Starts the program at `pathName` without arguments and without waiting; returns its task id.
double Shell(const std::wstring& pathName, int windowStyle);

// Shows `prompt` with `buttons`; a missing title gives the program's title.
int MsgBox(const Variant& prompt, int buttons, const Variant& title = {},
           const Variant& helpFile = {}, const Variant& context = {});

}  // namespace rt
