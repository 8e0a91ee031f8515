#include "FakeDesktop.h"

#include <cstdlib>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

void TEnvironment::Set(const char* name, const std::string& value)
{
    if (!saved_.count(name)) {
        const char* old = std::getenv(name);
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name, value.c_str(), 1);
}

TEnvironment::~TEnvironment()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
}

TFakeDesktop::TFakeDesktop()
{
    static int count = 0;
    root_ = fs::temp_directory_path() /
            ("pallido-desktop-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
    for (const char* dir : {"home/applications", "usr/applications", "local/applications", "bin"})
        fs::create_directories(root_ / dir);
    env_.Set("XDG_DATA_HOME", (root_ / "home").string());
    env_.Set("XDG_DATA_DIRS", (root_ / "local").string() + ":" + (root_ / "usr").string());
    env_.Set("XDG_CURRENT_DESKTOP", "");
    env_.Set("PATH", (root_ / "bin").string());
    Program("gio");
    SetLauncher(&recorder);
}

TFakeDesktop::~TFakeDesktop()
{
    SetLauncher(nullptr);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TFakeDesktop::Entry(const std::string& folder, const std::string& id, const std::string& extra)
{
    const fs::path path = root_ / folder / "applications" / id;
    std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=" << id << " %U\n"
                        << extra << "\n[Desktop Action new]\nExec=other\n";
    return path.string();
}

void TFakeDesktop::Program(const std::string& name)
{
    const fs::path path = root_ / "bin" / name;
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, fs::perms::owner_all);
}

void TFakeDesktop::RemoveProgram(const std::string& name) { fs::remove(root_ / "bin" / name); }
