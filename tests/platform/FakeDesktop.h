#pragma once
// A made-up desktop for tests: a home data folder and two system data
// folders for desktop entries, a PATH holding only fake programs (a fake
// "gio" among them), XDG_CURRENT_DESKTOP unset, and a recording launcher
// installed; all put back when it goes.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "Launcher.h"

// Environment variables set for a while and put back afterwards.
class TEnvironment {
public:
    TEnvironment() = default;
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;
    ~TEnvironment();
    void Set(const char* name, const std::string& value);

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

class TFakeDesktop {
public:
    TFakeDesktop();
    ~TFakeDesktop();
    TFakeDesktop(const TFakeDesktop&) = delete;
    TFakeDesktop& operator=(const TFakeDesktop&) = delete;

    // Writes an application entry `id` into `folder` ("home", "local" or
    // "usr"), with `extra` lines in its group; its path.
    std::string Entry(const std::string& folder, const std::string& id, const std::string& extra = {});
    // An executable file `name` in the fake PATH, or none.
    void Program(const std::string& name);
    void RemoveProgram(const std::string& name);
    // XDG_CURRENT_DESKTOP.
    void Desktop(const std::string& names) { env_.Set("XDG_CURRENT_DESKTOP", names); }

    TRecordingLauncher recorder;

private:
    std::filesystem::path root_;
    TEnvironment env_;
};
