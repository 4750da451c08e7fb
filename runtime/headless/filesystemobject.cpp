// The headless backend's file-system object: the one member the programs call, copyfile.
#include <map>
#include <set>

#include "files.h"
#include "runtime/headless.h"
#include "runtime/wildcard.h"

namespace fs = std::filesystem;

namespace rt::headless {

namespace {

constexpr std::int32_t kFileAlreadyExists = 58;

// A folder's names by their case-folded form, listed once: a copy of many files into one folder
// finds each file's target here rather than listing the folder again for every file.
class FolderNames {
public:
    explicit FolderNames(const fs::path& folder) : folder_(folder)
    {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            add(it->path().filename());
    }

    // What entryIgnoringCase(folder, name) gives: the exact name when it exists, else the first
    // by host order of the names that differ from it only in case, else the name as written.
    fs::path entry(const std::wstring& name) const
    {
        const auto found = byFoldedName_.find(folded(name));
        if (found == byFoldedName_.end() || found->second.contains(fs::path(name)))
            return folder_ / name;
        return folder_ / *found->second.begin();
    }

    void add(const fs::path& filename) { byFoldedName_[folded(longName(filename))].insert(filename); }

private:
    static std::wstring folded(std::wstring name)
    {
        for (wchar_t& c : name)
            c = foldCase(c);
        return name;
    }

    fs::path folder_;
    std::map<std::wstring, std::set<fs::path>> byFoldedName_;
};

class FileSystemObject final : public Object {
public:
    explicit FileSystemObject(Session& session) : session_(session) {}

    Variant invoke(std::wstring_view member, CallKind kind, const std::vector<Variant>& args) override
    {
        if (kind != CallKind::Method || !equalsIgnoringCase(member, L"copyfile"))
            raiseError(err::kNoSuchMember);
        if (args.size() != 2 && args.size() != 3)
            raiseError(err::kInvalidCall);
        const bool overwrite = args.size() == 2 || args[2].isMissing() || args[2].boolean() != kFalse;
        copyFile(args[0].string(), args[1].string(), overwrite);
        return {};
    }

private:
    void copyFile(const std::wstring& source, const std::wstring& destination, bool overwrite);
    void copyOne(const fs::path& file, FolderNames& folder, bool overwrite);

    Session& session_;
};

// Copies every plain file whose long name matches the source's last component into the
// destination folder, which must be written with its trailing separator.
void FileSystemObject::copyFile(const std::wstring& source, const std::wstring& destination, bool overwrite)
{
    const PathParts from = splitPath(source);
    const fs::path sourceFolder = session_.hostPath(from.folder);
    std::error_code error;
    if (!fs::is_directory(sourceFolder, error))
        raiseError(err::kPathNotFound);
    const PathParts to = splitPath(destination);
    const fs::path targetFolder = session_.hostPath(to.folder);
    if (!to.name.empty() || !fs::is_directory(targetFolder, error))
        raiseError(err::kPathNotFound);
    const std::vector<fs::path> files = matchingFiles(sourceFolder, from.name);
    if (files.empty())
        raiseError(err::kFileNotFound);
    FolderNames targetNames(targetFolder);
    for (const fs::path& file : files)
        copyOne(file, targetNames, overwrite);
}

void FileSystemObject::copyOne(const fs::path& file, FolderNames& folder, bool overwrite)
{
    const fs::path target = folder.entry(longName(file));
    std::error_code error;
    if (fs::exists(target, error)) {
        if (!overwrite)
            raiseError(kFileAlreadyExists, L"File gi\u00E0 esistente");
        if (isReadOnly(target) || fs::is_directory(target, error))
            raiseError(err::kPermissionDenied);
    }
    if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, error) && error)
        raiseHostError(error, err::kPermissionDenied);
    folder.add(target.filename());
}

}  // namespace

ObjectRef makeFileSystemObject(Session& session)
{
    return std::make_shared<FileSystemObject>(session);
}

}  // namespace rt::headless
