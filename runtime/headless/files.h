// File helpers shared by the headless backend's file operations and its file-system object.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace rt::headless {

// The plain files of `folder` whose long names match `pattern`, sorted by name. An unreadable
// or missing folder yields none.
std::vector<std::filesystem::path> matchingFiles(const std::filesystem::path& folder, std::wstring_view pattern);

// The entry of `folder` named `name` regardless of case, as Windows finds it; `name` as written
// when there is none.
std::filesystem::path entryIgnoringCase(const std::filesystem::path& folder, const std::wstring& name);

// The name of a host entry as the program sees it.
std::wstring longName(const std::filesystem::path& entry);

// Read-only as Windows means it: the owner may not write. Checked on the permission bits, so
// it holds also for a test run as root.
bool isReadOnly(const std::filesystem::path& entry);

// A failed host call as a runtime error: a missing entry is "path not found" (76), any other
// failure `number`.
[[noreturn]] void raiseHostError(const std::error_code& error, std::int32_t number);

}  // namespace rt::headless
