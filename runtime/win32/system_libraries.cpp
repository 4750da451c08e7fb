// System DLLs loaded at first use, from the system folder only: never a search that could find a
// file of the same name beside the program or in the current folder.
#include "system_libraries.h"

#include <string>

#include "runtime/error.h"
#include "win32_platform.h"

namespace rt::win32 {

namespace {

// A DLL of the system folder, freed when its owner goes.
class SystemLibrary {
public:
    constexpr SystemLibrary() = default;
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;
    ~SystemLibrary()
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    HMODULE get() const { return module_; }

    // True when the DLL is loaded, now or before.
    bool load(const wchar_t* name);

private:
    HMODULE module_ = nullptr;
};

// The search flag is understood where the kernel has AddDllDirectory (Windows 8, and Windows 7
// and Vista with their update); elsewhere the DLL goes by its full path in the system folder.
bool SystemLibrary::load(const wchar_t* name)
{
    if (module_ != nullptr)
        return true;
    if (procedure<void (*)()>(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr) {
        module_ = LoadLibraryExW(name, nullptr, kLoadLibrarySearchSystem32);
        return module_ != nullptr;
    }
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const std::wstring path = std::wstring(folder, length) + L'\\' + name;
    module_ = LoadLibraryW(path.c_str());
    return module_ != nullptr;
}

template <typename Function>
bool find(const SystemLibrary& library, const char* name, Function& slot)
{
    slot = procedure<Function>(library.get(), name);
    return slot != nullptr;
}

// ole32 and oleaut32, their functions, and the apartment of the window's thread.
class ComSession {
public:
    bool start();
    const ComFunctions& functions() const { return functions_; }

private:
    bool resolve();

    SystemLibrary ole_;
    SystemLibrary automation_;
    ComFunctions functions_{};
    bool apartment_ = false;
    bool started_ = false;
};

bool ComSession::resolve()
{
    ComFunctions& f = functions_;
    return find(ole_, "CoInitializeEx", f.coInitializeEx) &&
           find(ole_, "CoRegisterMessageFilter", f.coRegisterMessageFilter) &&
           find(ole_, "CLSIDFromProgID", f.clsidFromProgId) &&
           find(ole_, "CoCreateInstance", f.coCreateInstance) &&
           find(automation_, "SysAllocStringLen", f.sysAllocStringLen) &&
           find(automation_, "SysFreeString", f.sysFreeString) &&
           find(automation_, "SysStringLen", f.sysStringLen) &&
           find(automation_, "VariantClear", f.variantClear) &&
           find(automation_, "VariantChangeType", f.variantChangeType);
}

// The program's only thread is the window's: its apartment is single-threaded, and lasts until
// the process ends.
bool ComSession::start()
{
    if (started_)
        return true;
    if (!ole_.load(L"ole32.dll") || !automation_.load(L"oleaut32.dll") || !resolve())
        return false;
    if (!apartment_)
        apartment_ = SUCCEEDED(functions_.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    started_ = apartment_ && installMessageFilter(functions_);
    return started_;
}

ComSession comSession;
SystemLibrary shell;

}  // namespace

const ComFunctions& startCom(std::int32_t errorNumber)
{
    if (!comSession.start())
        raiseError(errorNumber);
    return comSession.functions();
}

const ComFunctions& com()
{
    return comSession.functions();
}

BOOL shellExecuteEx(SHELLEXECUTEINFOW* info)
{
    startCom(err::kInvalidCall);
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    ShellExecuteExFunction execute = nullptr;
    if (!shell.load(L"shell32.dll") || !find(shell, "ShellExecuteExW", execute))
        raiseError(err::kInvalidCall);
    return execute(info);
}

}  // namespace rt::win32
