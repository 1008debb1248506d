// kest-db: creates a GEM database from the compiled-in schema and default rows, and checks a
// database for everything the control needs.
//
//   kest-db init PATH [--force]    exit 0 when created
//   kest-db check PATH             exit 0 when nothing is missing; prints each missing item
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/error.h"
#include "gemdb/database_setup.h"

namespace {

constexpr int kFileAlreadyExists = 58;  // what CreateGemDatabase reports for an existing file

int Init(const std::filesystem::path& path, bool force) {
    try {
        kest::CreateGemDatabase(path, force);
    } catch (const kest::KestException& e) {
        std::fprintf(stderr, "kest-db: cannot create %s: %s%s\n", path.c_str(), e.what(),
                     e.Number() == kFileAlreadyExists && !force ? " (--force replaces it)" : "");
        return 1;
    }
    std::printf("created %s\n", path.c_str());
    return 0;
}

int Check(const std::filesystem::path& path) {
    kest::GemDatabaseCheck check;
    try {
        check = kest::CheckGemDatabase(path);
    } catch (const kest::KestException& e) {
        std::fprintf(stderr, "kest-db: cannot read %s: %s\n", path.c_str(), e.what());
        return 1;
    }
    for (const std::string& line : check.Describe())
        std::printf("%s\n", line.c_str());
    if (!check.Complete()) return 1;
    std::printf("%s: complete\n", path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Creates and checks Kest GEM databases."};
    app.require_subcommand(1);

    std::string init_path;
    bool force = false;
    CLI::App* init = app.add_subcommand("init", "Create a fresh GEM database at PATH");
    init->add_option("PATH", init_path, "Database file to create")->required();
    init->add_flag("--force", force, "Replace an existing file");

    std::string check_path;
    CLI::App* check = app.add_subcommand("check", "List what the GEM database at PATH lacks");
    check->add_option("PATH", check_path, "Database file to check")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 1;  // --help is a success, any usage error a failure
    }
    if (*init) return Init(init_path, force);
    return Check(check_path);
}
