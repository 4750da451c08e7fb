// The headless backend's file-system object: the one member the programs call, copyfile.
#include "files.h"
#include "runtime/headless.h"
#include "runtime/wildcard.h"

namespace fs = std::filesystem;

namespace rt::headless {

namespace {

constexpr std::int32_t kFileAlreadyExists = 58;

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
    void copyOne(const fs::path& file, const fs::path& folder, bool overwrite);

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
    for (const fs::path& file : files)
        copyOne(file, targetFolder, overwrite);
}

void FileSystemObject::copyOne(const fs::path& file, const fs::path& folder, bool overwrite)
{
    const fs::path target = entryIgnoringCase(folder, longName(file));
    std::error_code error;
    if (fs::exists(target, error)) {
        if (!overwrite)
            raiseError(kFileAlreadyExists, L"File gi\u00E0 esistente");
        if (isReadOnly(target) || fs::is_directory(target, error))
            raiseError(err::kPermissionDenied);
    }
    if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, error) && error)
        raiseHostError(error, err::kPermissionDenied);
}

}  // namespace

ObjectRef makeFileSystemObject(Session& session)
{
    return std::make_shared<FileSystemObject>(session);
}

}  // namespace rt::headless
