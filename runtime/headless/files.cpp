// The headless backend's file operations, on the real host file system under mapped drives.
#include "files.h"

#include <algorithm>

#include "runtime/error.h"
#include "runtime/headless.h"
#include "runtime/wildcard.h"

namespace fs = std::filesystem;

namespace rt::headless {

namespace {

// A Windows path taken apart: "x:\a\b" gives drive 'x' and components "a", "b".
struct WindowsPath {
    wchar_t drive;
    std::vector<std::wstring> components;
};

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isDriveLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::vector<std::wstring> splitComponents(std::wstring_view rest)
{
    std::vector<std::wstring> components;
    std::wstring current;
    for (wchar_t c : rest) {
        if (!isSeparator(c)) {
            current += c;
        } else if (!current.empty()) {
            components.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty())
        components.push_back(std::move(current));
    return components;
}

// Error 52 for a path without a drive, with a character no Windows name may hold, or with a
// wildcard before its last component.
WindowsPath parseWindowsPath(std::wstring_view path)
{
    if (path.size() < 2 || !isDriveLetter(path[0]) || path[1] != L':')
        raiseError(err::kBadFileName);
    const std::wstring_view rest = path.substr(2);
    if (rest.find_first_of(std::wstring_view(L"<>\"|:\0", 6)) != std::wstring_view::npos)
        raiseError(err::kBadFileName);
    WindowsPath parsed{foldCase(path[0]), splitComponents(rest)};
    for (std::size_t i = 0; i + 1 < parsed.components.size(); ++i) {
        if (hasWildcard(parsed.components[i]))
            raiseError(err::kBadFileName);
    }
    return parsed;
}

}  // namespace

// The exact name when it exists, else the first by host order of the names that differ from it
// only in case.
fs::path entryIgnoringCase(const fs::path& folder, const std::wstring& name)
{
    std::error_code error;
    if (fs::exists(folder / name, error))
        return folder / name;
    std::vector<fs::path> candidates;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (equalsIgnoringCase(longName(it->path()), name))
            candidates.push_back(it->path().filename());
    }
    if (candidates.empty())
        return folder / name;
    return folder / *std::min_element(candidates.begin(), candidates.end());
}

std::vector<fs::path> matchingFiles(const fs::path& folder, std::wstring_view pattern)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && wildcardMatch(pattern, longName(it->path())))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::wstring longName(const fs::path& entry)
{
    return entry.filename().wstring();
}

bool isReadOnly(const fs::path& entry)
{
    std::error_code error;
    const fs::file_status status = fs::status(entry, error);
    return !error && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void raiseHostError(const std::error_code& error, std::int32_t number)
{
    if (error == std::errc::no_such_file_or_directory)
        raiseError(err::kPathNotFound);
    raiseError(number);
}

fs::path Session::hostPath(std::wstring_view windowsPath) const
{
    const WindowsPath parsed = parseWindowsPath(windowsPath);
    const auto drive = drives_.find(parsed.drive);
    if (drive == drives_.end())
        raiseError(err::kPathNotFound);
    if (drive->second.state == DriveState::NotReady)
        raiseError(err::kDeviceUnavailable);
    fs::path host = drive->second.folder;
    for (const std::wstring& component : parsed.components)
        host = entryIgnoringCase(host, component);
    return host;
}

// The programs search for plain files only (vbNormal): no other attribute is modelled.
std::wstring Session::findFirst(const std::wstring& path, int /*attributes*/)
{
    checkArmed(Op::FindFirst);
    const WindowsPath parsed = parseWindowsPath(path);
    const auto drive = drives_.find(parsed.drive);
    if (drive == drives_.end() || drive->second.state == DriveState::NotReady)
        return {};
    const PathParts parts = splitPath(path);
    const std::vector<fs::path> found = matchingFiles(hostPath(parts.folder), parts.name);
    return found.empty() ? std::wstring() : longName(found.front());
}

void Session::makeFolder(const std::wstring& path)
{
    checkArmed(Op::MakeFolder);
    const fs::path folder = hostPath(path);
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (fs::is_directory(status))
        return;
    if (fs::exists(status))
        raiseError(err::kPathFileAccess);
    if (!fs::is_directory(folder.parent_path(), error))
        raiseError(err::kPathNotFound);
    if (!fs::create_directory(folder, error) && error)
        raiseHostError(error, err::kPathFileAccess);
}

// Every matching file that may be deleted is; a read-only one stays and fails the whole call
// once the others are gone.
void Session::deleteFiles(const std::wstring& pattern)
{
    checkArmed(Op::DeleteFiles);
    const PathParts parts = splitPath(pattern);
    const fs::path folder = hostPath(parts.folder);
    std::error_code error;
    if (!fs::is_directory(folder, error))
        raiseError(err::kPathNotFound);
    bool keptReadOnly = false;
    for (const fs::path& file : matchingFiles(folder, parts.name)) {
        if (isReadOnly(file)) {
            keptReadOnly = true;
        } else if (!fs::remove(file, error) && error) {
            raiseHostError(error, err::kPathFileAccess);
        }
    }
    if (keptReadOnly)
        raiseError(err::kPathFileAccess);
}

double Session::startProgram(const std::wstring& path, int windowStyle)
{
    checkArmed(Op::StartProgram);
    std::error_code error;
    if (!fs::is_regular_file(hostPath(path), error))
        raiseError(err::kFileNotFound);
    started_.push_back({path, windowStyle});
    return nextTaskId_++;
}

}  // namespace rt::headless
