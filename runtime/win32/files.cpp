// Directory search, make folder and delete by pattern on the Windows file system.
#include "win32_platform.h"

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "runtime/ops.h"
#include "runtime/wildcard.h"

namespace rt::win32 {

namespace {


// What a plain-file search leaves out unless the attributes ask for it.
constexpr DWORD kSpecialAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// An open directory search; closed when it goes out of scope.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            FindClose(handle_);
    }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// The codes with which a search reports that there is nothing to find: no such file or
// folder, a drive that does not exist or holds no medium, an unreachable network share.
bool meansNothingThere(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_NOT_READY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return true;
    default:
        return false;
    }
}

// True when an entry with `entryAttributes` is among those a search with `attributes` returns.
bool wanted(DWORD entryAttributes, int attributes)
{
    return (entryAttributes & kSpecialAttributes & ~static_cast<DWORD>(attributes)) == 0;
}

// Advances the search; false at its end.
bool findNext(const FindHandle& find, WIN32_FIND_DATAW& entry)
{
    if (FindNextFileW(find.get(), &entry))
        return true;
    const DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES)
        raiseWin32Error(code);
    return false;
}

// The long names of the plain files in `folder` that match `pattern`. A folder without
// entries has none; a missing folder is an error.
std::vector<std::wstring> matchingFiles(const std::wstring& folder, const std::wstring& pattern)
{
    WIN32_FIND_DATAW entry;
    const FindHandle find(FindFirstFileW((folder + L"*").c_str(), &entry));
    if (!find.valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return {};
        raiseWin32Error(code);
    }
    std::vector<std::wstring> names;
    do {
        if (wanted(entry.dwFileAttributes, vbNormal) && wildcardMatch(pattern, entry.cFileName))
            names.emplace_back(entry.cFileName);
    } while (findNext(find, entry));
    return names;
}

}  // namespace

void raiseWin32Error(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        raiseError(err::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
        raiseError(err::kPathNotFound);
    case ERROR_WRITE_PROTECT:
        raiseError(err::kPermissionDenied);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        raiseError(err::kPathFileAccess);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_DIRECTORY:
        raiseError(err::kBadFileName);
    case ERROR_NOT_READY:
        raiseError(err::kDeviceUnavailable);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        raiseError(err::kDiskFull);
    default:
        raiseError(err::kInvalidCall);
    }
}

std::wstring Win32Platform::findFirst(const std::wstring& path, int attributes)
{
    WIN32_FIND_DATAW entry;
    const FindHandle find(FindFirstFileW(path.c_str(), &entry));
    if (!find.valid()) {
        const DWORD code = GetLastError();
        if (meansNothingThere(code))
            return {};
        raiseWin32Error(code);
    }
    do {
        if (wanted(entry.dwFileAttributes, attributes))
            return entry.cFileName;
    } while (findNext(find, entry));
    return {};
}

void Win32Platform::makeFolder(const std::wstring& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return;
    const DWORD code = GetLastError();
    if (code == ERROR_ALREADY_EXISTS) {
        const DWORD existing = GetFileAttributesW(path.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return;
    }
    raiseWin32Error(code);
}

// Our own matcher on the long names decides what goes. The system's directory search and
// file-system object also match 8.3 short names, so the copy made before a delete takes a
// superset of what is deleted here, and no file leaves the folder without its copy.
// A file that cannot be deleted does not stop the others; the first failure is raised at the end.
void Win32Platform::deleteFiles(const std::wstring& pattern)
{
    const PathParts parts = splitPath(pattern);
    DWORD firstFailure = ERROR_SUCCESS;
    for (const std::wstring& name : matchingFiles(parts.folder, parts.name)) {
        if (!DeleteFileW((parts.folder + name).c_str()) && firstFailure == ERROR_SUCCESS)
            firstFailure = GetLastError();
    }
    if (firstFailure != ERROR_SUCCESS)
        raiseWin32Error(firstFailure);
}

}  // namespace rt::win32
