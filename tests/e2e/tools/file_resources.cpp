#include "file_resources.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "tool_support.h"

namespace tools {

namespace {

// One node of a version record: a key, a value, and child nodes up to `end`, each starting on a
// 32-bit boundary counted from the start of the record.
struct VersionNode {
    std::wstring key;
    const BYTE* firstChild;
    const BYTE* end;
};

const BYTE* alignFrom(const BYTE* base, const BYTE* p)
{
    return base + ((p - base + 3) & ~3);
}

VersionNode readNode(const BYTE* base, const BYTE* p, const BYTE* limit)
{
    WORD header[3];
    if (limit - p < 6)
        throw std::runtime_error("version record truncated");
    CopyMemory(header, p, sizeof header);
    const WORD length = header[0];
    const WORD valueLength = header[1];
    const WORD type = header[2];
    if (length < 6 || p + length > limit)
        throw std::runtime_error("version record node out of bounds");
    const auto* key = reinterpret_cast<const wchar_t*>(p + 6);
    const size_t keyLength = wcsnlen(key, (length - 6) / sizeof(wchar_t));
    const BYTE* value = alignFrom(base, p + 6 + (keyLength + 1) * sizeof(wchar_t));
    const size_t valueBytes = type == 1 ? valueLength * sizeof(wchar_t) : valueLength;
    return {std::wstring(key, keyLength), alignFrom(base, value + valueBytes), p + length};
}

std::vector<VersionNode> children(const BYTE* base, const VersionNode& node)
{
    std::vector<VersionNode> found;
    for (const BYTE* p = node.firstChild; p < node.end;) {
        found.push_back(readNode(base, p, node.end));
        p = alignFrom(base, found.back().end);
    }
    return found;
}

std::vector<BYTE> versionRecord(const wchar_t* file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0)
        fail("GetFileVersionInfoSizeW");
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(file, 0, size, data.data()))
        fail("GetFileVersionInfoW");
    return data;
}

const void* query(std::vector<BYTE>& record, const std::wstring& path, UINT& length)
{
    void* value = nullptr;
    if (!VerQueryValueW(record.data(), path.c_str(), &value, &length))
        return nullptr;
    return value;
}

std::string translations(std::vector<BYTE>& record)
{
    UINT length = 0;
    const auto* pairs = static_cast<const WORD*>(query(record, L"\\VarFileInfo\\Translation", length));
    std::string out;
    for (UINT i = 0; pairs && i + 1 < length / sizeof(WORD); i += 2)
        appendItem(out, std::string("{\"language\":") + json(static_cast<long long>(pairs[i])) +
               ",\"codepage\":" + json(static_cast<long long>(pairs[i + 1])) + "}");
    return "[" + out + "]";
}

std::string fixedVersion(DWORD most, DWORD least)
{
    return std::to_string(HIWORD(most)) + "." + std::to_string(LOWORD(most)) + "." + std::to_string(HIWORD(least)) +
           "." + std::to_string(LOWORD(least));
}

std::string fixedVersions(std::vector<BYTE>& record)
{
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(record, L"\\", length));
    if (!fixed || length < sizeof(VS_FIXEDFILEINFO))
        return "\"file_version\":null,\"product_version\":null";
    return "\"file_version\":" + jsonUtf8(fixedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS)) +
           ",\"product_version\":" + jsonUtf8(fixedVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
}

// The first string block's name and its strings as a JSON object, each value read through the system.
std::string firstStringBlock(std::vector<BYTE>& record)
{
    const BYTE* base = record.data();
    const VersionNode root = readNode(base, base, base + record.size());
    for (const VersionNode& info : children(base, root)) {
        if (info.key != L"StringFileInfo")
            continue;
        const std::vector<VersionNode> blocks = children(base, info);
        if (blocks.empty())
            break;
        std::string strings;
        for (const VersionNode& entry : children(base, blocks.front())) {
            UINT length = 0;
            const auto* text = static_cast<const wchar_t*>(
                query(record, L"\\StringFileInfo\\" + blocks.front().key + L"\\" + entry.key, length));
            appendItem(strings, json(entry.key) + ":" +
                       (text ? json(std::wstring(text, wcsnlen(text, length))) : std::string("null")));
        }
        return "\"block\":" + json(blocks.front().key) + ",\"strings\":{" + strings + "}";
    }
    return "\"block\":null,\"strings\":{}";
}

struct Library {
    explicit Library(const wchar_t* file) : module(LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        if (!module)
            fail("LoadLibraryExW");
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { FreeLibrary(module); }
    HMODULE module;
};

#pragma pack(push, 2)
struct GroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// A resource's bytes; empty when the module has no such resource.
std::vector<BYTE> resource(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    HRSRC found = FindResourceW(module, name, type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (!data)
        fail("LoadResource");
    return std::vector<BYTE>(data, data + SizeofResource(module, found));
}

std::string describeImage(HMODULE module, WORD id)
{
    const std::vector<BYTE> image = resource(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
    if (image.size() >= 8 && image[0] == 0x89 && image[1] == 'P')
        return "{\"png\":true}";
    if (image.size() < sizeof(BITMAPINFOHEADER))
        return "null";
    BITMAPINFOHEADER header;
    CopyMemory(&header, image.data(), sizeof header);
    return "{\"width\":" + json(static_cast<long long>(header.biWidth)) +
           ",\"height\":" + json(static_cast<long long>(header.biHeight / 2)) +
           ",\"bit_count\":" + json(static_cast<long long>(header.biBitCount)) + "}";
}

}  // namespace

std::string describeVersionRecord(const wchar_t* file)
{
    std::vector<BYTE> record = versionRecord(file);
    return "{\"translation\":" + translations(record) + "," + firstStringBlock(record) + "," +
           fixedVersions(record) + "}";
}

std::string describeIconGroup(const wchar_t* file)
{
    const Library library(file);
    const std::vector<BYTE> group = resource(library.module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    if (group.size() < sizeof(GroupHeader))
        return "{\"entries\":null}";
    GroupHeader header;
    CopyMemory(&header, group.data(), sizeof header);
    if (group.size() < sizeof header + header.count * sizeof(GroupEntry))
        throw std::runtime_error("icon group truncated");
    std::string entries;
    for (WORD i = 0; i < header.count; ++i) {
        GroupEntry e;
        CopyMemory(&e, group.data() + sizeof header + i * sizeof(GroupEntry), sizeof e);
        appendItem(entries, std::string("{\"width\":") +
                   json(static_cast<long long>(e.width ? e.width : 256)) +
                   ",\"height\":" + json(static_cast<long long>(e.height ? e.height : 256)) +
                   ",\"colours\":" + json(static_cast<long long>(e.colours)) +
                   ",\"bit_count\":" + json(static_cast<long long>(e.bitCount)) +
                   ",\"bytes\":" + json(static_cast<long long>(e.bytes)) +
                   ",\"id\":" + json(static_cast<long long>(e.id)) +
                   ",\"image\":" + describeImage(library.module, e.id) + "}");
    }
    return "{\"type\":" + json(static_cast<long long>(header.type)) + ",\"entries\":[" + entries + "]}";
}

}  // namespace tools
