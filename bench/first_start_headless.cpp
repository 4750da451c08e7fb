// The launcher's first start on the headless backend, for the move benchmark: c: is the folder
// named on the command line, which holds PROGRAMMI\ORVANE_Quorbel_3 with the product's files.
// Starts the program (its load event moves the documents and spreadsheets into "dati") and
// exits 0, or 1 when the start reported a runtime error. bench/run times the whole process.
#include <cstdio>
#include <filesystem>

#include "ORVANE_Quorbel_3/Form1.h"
#include "runtime/headless.h"
#include "runtime/text.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER-OF-DRIVE-C\n", argv[0]);
        return 2;
    }
    rt::headless::Session session(launcher::kProject);
    session.mapDrive(L'c', std::filesystem::path(argv[1]));
    session.start();
    for (const rt::RuntimeError& error : session.reports())
        std::fprintf(stderr, "runtime error %d: %s\n", static_cast<int>(error.number()),
                     rt::toUtf8(error.description()).c_str());
    return session.reports().empty() ? 0 : 1;
}
