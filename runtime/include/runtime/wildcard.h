// The file-name matcher shared by every backend: '*' and '?', case-insensitive, on long names.
#pragma once

#include <string>
#include <string_view>

namespace rt {

// Folds a character for comparison as the Windows file system does for Latin text:
// ASCII and Latin-1 letters compare without regard to case.
wchar_t foldCase(wchar_t c);

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b);

// True when `name` matches `pattern`: '*' matches any run of characters (also none),
// '?' exactly one; every other character matches itself regardless of case.
bool wildcardMatch(std::wstring_view pattern, std::wstring_view name);

bool hasWildcard(std::wstring_view path);

// A path split at its last separator ('\' or '/', or the colon of "x:name"): the folder
// keeps its trailing separator ("c:\a\"), the name is what follows ("*.doc").
struct PathParts {
    std::wstring folder;
    std::wstring name;
};
PathParts splitPath(std::wstring_view path);

}  // namespace rt
