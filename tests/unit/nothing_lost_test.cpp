// Nothing is lost by the first-start move: over many generated product folders, with and
// without a failure at each step, every file that leaves the product folder stands
// byte-identical in "dati", and no file outside "*.doc" and "*.xls" changes.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "ORVANE_Quorbel_3/Form1.h"
#include "runtime/headless.h"
#include "runtime/text.h"
#include "runtime/wildcard.h"
#include "temp_tree.h"

namespace {

using namespace testing_support;
using rt::headless::Op;
using rt::headless::Session;

struct Step {
    Op op;
    int nth;
};

// No failure, then each step of the move in its order.
const std::vector<std::optional<Step>> kFailures{
    std::nullopt,          {{Op::LetVisible, 1}},  {{Op::MakeFolder, 1}}, {{Op::CreateObject, 1}},
    {{Op::LateCall, 1}},   {{Op::LateCall, 2}},    {{Op::DeleteFiles, 1}}, {{Op::DeleteFiles, 2}},
    {{Op::LateCall, 3}},
};

const std::vector<std::string> kStems{"0_INDICE", "licenza", "LIC_ALLEGATO", "Lic 2", "capitolo 1", "nota spese",
                                      "perch\xC3\xA9", "citt\xC3\xA0 e paesi", "\xC3\x9C" "bersicht", "prezzi",
                                      "listino", "lic", "Indice"};
const std::vector<std::string> kExtensions{".doc", ".DOC", ".Doc", ".xls", ".XLS", ".Xls", ".docx", ".xlsx",
                                           ".doc.bak", ".txt", ""};

bool moves(const std::string& name)
{
    const std::wstring wide = rt::fromCp1252(name);  // ASCII is all the matcher needs here
    return rt::wildcardMatch(L"*.doc", wide) || rt::wildcardMatch(L"*.xls", wide);
}

struct Generated {
    std::map<std::string, std::string> files;  // name → content
    std::set<std::string> readOnly;
    std::set<std::string> subfolders;
};

Generated generate(std::mt19937& random)
{
    Generated product;
    std::set<std::string> folded;
    const int count = std::uniform_int_distribution<>(1, 14)(random);
    for (int i = 0; i < count; ++i) {
        const std::string name = kStems[random() % kStems.size()] + kExtensions[random() % kExtensions.size()];
        std::string key;
        for (char c : name)
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!folded.insert(key).second)
            continue;
        if (random() % 10 == 0) {
            product.subfolders.insert(name);
            continue;
        }
        product.files[name] = name + " #" + std::to_string(random());
        if (random() % 8 == 0)
            product.readOnly.insert(name);
    }
    return product;
}

class NothingLost : public ::testing::TestWithParam<int> {};

TEST_P(NothingLost, EveryFileThatLeavesStandsInDati)
{
    std::mt19937 random(static_cast<unsigned>(GetParam()));
    const Generated original = generate(random);
    const std::optional<Step> failure = kFailures[GetParam() % kFailures.size()];

    TempTree tree;
    const fs::path product = tree.folder("c/PROGRAMMI/ORVANE_Quorbel_3");
    for (const auto& [name, content] : original.files) {
        writeFile(product / name, content);
        if (original.readOnly.count(name))
            fs::permissions(product / name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
    }
    for (const auto& name : original.subfolders)
        writeFile(product / name / "dentro.doc", "in una cartella");

    for (int start = 0; start < 2; ++start) {
        Session session(launcher::kProject);
        session.mapDrive(L'c', tree.root() / "c");
        if (failure && start == 0)
            session.arm(failure->op, failure->nth);
        session.start();

        const auto now = filesIn(product);
        const auto dati = filesIn(product / "dati");
        for (const auto& [name, content] : original.files) {
            SCOPED_TRACE(name);
            if (!moves(name)) {
                ASSERT_TRUE(now.count(name)) << "a file outside both patterns left the product folder";
                EXPECT_EQ(now.at(name), content);
            } else if (!now.count(name)) {
                ASSERT_TRUE(dati.count(name)) << "lost";
                EXPECT_EQ(dati.at(name), content);
            } else {
                EXPECT_EQ(now.at(name), content);
            }
        }
        for (const auto& name : original.subfolders)
            EXPECT_EQ(readFile(product / name / "dentro.doc"), "in una cartella");
    }
}

INSTANTIATE_TEST_SUITE_P(GeneratedFolders, NothingLost, ::testing::Range(1, 217));

}  // namespace
