#include "runtime/wildcard.h"

namespace rt {

wchar_t foldCase(wchar_t c)
{
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<wchar_t>(c + 0x20);
    return c;
}

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    }
    return true;
}

// Greedy with a single backtrack point: on a mismatch after a '*', that star takes one more
// character of the name and matching resumes. Linear in memory, no recursion.
bool wildcardMatch(std::wstring_view pattern, std::wstring_view name)
{
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::wstring_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || foldCase(pattern[p]) == foldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

bool hasWildcard(std::wstring_view path)
{
    return path.find_first_of(L"*?") != std::wstring_view::npos;
}

PathParts splitPath(std::wstring_view path)
{
    std::size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring_view::npos && path.size() >= 2 && path[1] == L':')
        cut = 1;
    if (cut == std::wstring_view::npos)
        return {std::wstring(), std::wstring(path)};
    return {std::wstring(path.substr(0, cut + 1)), std::wstring(path.substr(cut + 1))};
}

}  // namespace rt
