// The system DLLs that only some paths of a program need (ole32, oleaut32, shell32): loaded from
// the system folder at their first use rather than imported, so that a start that never reaches
// them does not pay for them, and reached through the few functions the runtime calls.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cstdint>

namespace rt::win32 {

// LoadLibraryExW's and SetDefaultDllDirectories' "system folder only"; not declared for the
// oldest systems the programs start on.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

// A function of a loaded DLL by name, or null; through a generic function pointer, since
// FARPROC's own signature differs from every real one.
template <typename Function>
Function procedure(HMODULE library, const char* name)
{
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

struct ComFunctions {
    HRESULT(WINAPI* coInitializeEx)(LPVOID, DWORD);
    HRESULT(WINAPI* coRegisterMessageFilter)(LPMESSAGEFILTER, LPMESSAGEFILTER*);
    HRESULT(WINAPI* clsidFromProgId)(LPCOLESTR, LPCLSID);
    HRESULT(WINAPI* coCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    BSTR(WINAPI* sysAllocStringLen)(const OLECHAR*, UINT);
    void(WINAPI* sysFreeString)(BSTR);
    UINT(WINAPI* sysStringLen)(BSTR);
    HRESULT(WINAPI* variantClear)(VARIANTARG*);
    HRESULT(WINAPI* variantChangeType)(VARIANTARG*, const VARIANTARG*, USHORT, VARTYPE);
};

// COM for the window's thread, started at the first call: ole32 and oleaut32 loaded, the
// single-threaded apartment entered and the retrying message filter installed. A failure is the
// runtime error `errorNumber`; the next call tries again.
const ComFunctions& startCom(std::int32_t errorNumber);

// The functions once startCom has succeeded. Every COM value the runtime holds was made after
// that, so only code that handles such values calls this.
const ComFunctions& com();

// The shell's ShellExecuteExW, COM started first (the shell's handlers may need it); runtime
// error 5 when shell32 or COM cannot be had.
BOOL shellExecuteEx(SHELLEXECUTEINFOW* info);

}  // namespace rt::win32
