#pragma once
// The user's own desktop applications, found through their desktop entries
// as freedesktop.org lays them out: the folders entries live in, reading one
// entry's [Desktop Entry] group, and which calculator and web browser this
// user's desktop would start.

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TDesktopEntry {
    std::string id;   // "org.gnome.Calculator.desktop"
    std::string path; // the file it was read from
    std::string exec;
    std::string tryExec;
    std::vector<std::string> onlyShowIn;
    std::vector<std::string> notShowIn;
    bool application = false; // Type=Application
    bool hidden = false;      // Hidden=true: as if it were not installed
};

// "<folder>/applications/" for $XDG_DATA_HOME (default ~/.local/share), then
// for each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share): the
// order in which an entry of one id hides those of the same id after it.
std::vector<std::string> ApplicationFolders();

// $XDG_CURRENT_DESKTOP split at ':' ("GNOME", "KDE", ...).
std::vector<std::string> CurrentDesktops();

// Reads the [Desktop Entry] group of the file at `path`; nothing when the
// file cannot be read or has no such group.
std::optional<TDesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id);

// The entry `id` from the first application folder that has it; nothing
// when no folder has it.
std::optional<TDesktopEntry> FindDesktopEntry(const std::string& id);

// True when the entry can be started on `desktops`: an application, not
// hidden, shown there (OnlyShowIn/NotShowIn) and its TryExec program found.
bool Launchable(const TDesktopEntry& entry, const std::vector<std::string>& desktops);

// The calculator to start: of the well-known calculators' entries (GNOME
// Calculator, KCalc, MATE Calculator, Galculator, Qalculate), the current
// desktop's own first, then the others in that order.
std::optional<TDesktopEntry> FindCalculator();

// The entry named by a desktop-entry id such as `xdg-settings get
// default-web-browser` prints ("firefox-esr.desktop", surrounding white space
// allowed), when it exists and can be started; nothing otherwise.
std::optional<TDesktopEntry> EntryNamed(const std::string& idText);

} // namespace platform
