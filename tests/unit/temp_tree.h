// A temporary folder tree on the host, removed at the end of the test, with small helpers
// to lay out and read back files.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

namespace testing_support {

namespace fs = std::filesystem;

class TempTree {
public:
    TempTree()
    {
        static std::mt19937_64 seed{std::random_device{}()};
        root_ = fs::temp_directory_path() / ("orvane-test-" + std::to_string(seed()));
        fs::create_directories(root_);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    ~TempTree()
    {
        std::error_code ignored;
        fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (auto& entry : fs::recursive_directory_iterator(root_, ignored))
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }

    const fs::path& root() const { return root_; }

    fs::path folder(const fs::path& relative) const
    {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }

private:
    fs::path root_;
};

inline void writeFile(const fs::path& path, const std::string& content)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Every plain file directly in `folder`, by name, with its content.
inline std::map<std::string, std::string> filesIn(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(folder))
        return files;
    for (auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

}  // namespace testing_support
