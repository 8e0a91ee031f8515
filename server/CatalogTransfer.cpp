#include "CatalogTransfer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "Catalog.h"
#include "CatalogExport.h"
#include "CatalogImport.h"
#include "CatalogSeeder.h"
#include "CatalogStore.h"

namespace {

constexpr std::size_t kMaxReported = 1000;

// "--name FILE" or "--name=FILE" for the given names; false (with a
// message) for anything else.
bool ReadFileOptions(int argc, const char* const* argv, std::map<std::string, std::string>& files,
                     const char* command)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i], value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        }
        const auto it = files.find(arg);
        if (it == files.end() || value.empty()) {
            std::fprintf(stderr, "pallido-server %s: %s %s\n", command,
                         it == files.end() ? "unknown option" : "needs a file name:", arg.c_str());
            return false;
        }
        it->second = value;
    }
    return true;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

bool WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// Writes the rows to a new file beside `path` and renames it into place.
bool SaveInPlace(const std::string& path, const TCatalogRows& rows, std::string& error)
{
    std::string temp = path + ".import-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot create a file beside " + path;
        return false;
    }
    fchmod(fd, 0644);
    close(fd);
    try {
        TCatalogStore::Save(temp, rows);
    } catch (const std::exception& e) {
        std::remove(temp.c_str());
        error = e.what();
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        error = "cannot rename the new catalog to " + path;
        return false;
    }
    return true;
}

} // namespace

int RunImport(int argc, const char* const* argv)
{
    std::map<std::string, std::string> files = {
        {"--catalog", ""}, {"--categories", ""}, {"--sellers", ""}, {"--items", ""}};
    if (!ReadFileOptions(argc, argv, files, "import"))
        return 2;
    for (const auto& [option, path] : files) {
        if (path.empty()) {
            std::fprintf(stderr, "pallido-server import: %s FILE is needed\n", option.c_str());
            return 2;
        }
    }
    const std::string& catalog = files["--catalog"];
    std::string error;
    if (!TCatalogStore::IsReplaceable(catalog, error)) {
        std::fprintf(stderr, "pallido-server import: %s\n", error.c_str());
        return 1;
    }

    TCatalogImport import(std::time(nullptr));
    using TStep = void (TCatalogImport::*)(const std::string&, std::string_view);
    const std::pair<const char*, TStep> steps[] = {{"--categories", &TCatalogImport::Categories},
                                                   {"--sellers", &TCatalogImport::Sellers},
                                                   {"--items", &TCatalogImport::Items}};
    for (const auto& [option, step] : steps) {
        std::string text;
        if (!ReadText(files[option], text)) {
            std::fprintf(stderr, "pallido-server import: cannot read %s\n", files[option].c_str());
            return 1;
        }
        (import.*step)(files[option], text);
    }
    const auto& errors = import.Errors();
    if (!errors.empty()) {
        for (std::size_t i = 0; i < errors.size() && i < kMaxReported; ++i)
            std::fprintf(stderr, "%s\n", errors[i].c_str());
        if (errors.size() > kMaxReported)
            std::fprintf(stderr, "... and %zu more\n", errors.size() - kMaxReported);
        std::fprintf(stderr, "pallido-server import: %zu bad rows; %s was not changed\n", errors.size(),
                     catalog.c_str());
        return 1;
    }
    const auto& rows = import.Rows();
    if (!SaveInPlace(catalog, rows, error)) {
        std::fprintf(stderr, "pallido-server import: %s; %s was not changed\n", error.c_str(),
                     catalog.c_str());
        return 1;
    }
    std::printf("pallido-server import: %zu categories, %zu sellers, %zu items written to %s\n",
                rows.categories.size(), rows.sellers.size(), rows.items.size(), catalog.c_str());
    return 0;
}

int RunExport(int argc, const char* const* argv)
{
    std::map<std::string, std::string> files = {{"--catalog", ""},
                                                {"--categories", "categories.csv"},
                                                {"--sellers", "sellers.csv"},
                                                {"--items", "items.csv"}};
    if (!ReadFileOptions(argc, argv, files, "export"))
        return 2;
    TCatalogRows rows;
    try {
        rows = files["--catalog"].empty()
                   ? TCatalogSeeder().Generate()
                   : TCatalogStore::Load(files["--catalog"], TCatalogStore::TMissing::Fail);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pallido-server export: %s\n", e.what());
        return 1;
    }
    const TCatalog catalog(rows);
    const TCatalogExport out(catalog);
    for (const auto& [option, text] : {std::pair{"--categories", out.Categories()},
                                       std::pair{"--sellers", out.Sellers()},
                                       std::pair{"--items", out.Items()}}) {
        if (!WriteText(files[option], text)) {
            std::fprintf(stderr, "pallido-server export: cannot write %s\n", files[option].c_str());
            return 1;
        }
    }
    std::printf("pallido-server export: %zu categories, %zu sellers, %zu items\n",
                catalog.Categories().size(), catalog.Sellers().size(), catalog.Items().size());
    return 0;
}
