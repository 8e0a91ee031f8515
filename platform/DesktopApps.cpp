#include "DesktopApps.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "Launcher.h"

namespace platform {
namespace {

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A desktop-entry id: a file name ending in ".desktop", nothing that could
// leave the applications folder.
bool UsableId(const std::string& id)
{
    return id.size() > 8 && id.compare(id.size() - 8, 8, ".desktop") == 0 &&
           id.find('/') == std::string::npos && id[0] != '.';
}

bool Intersects(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    return std::any_of(a.begin(), a.end(),
                       [&b](const std::string& x) { return std::find(b.begin(), b.end(), x) != b.end(); });
}

struct TKnownCalculator {
    const char* id;
    const char* desktops; // the desktops it belongs to, ':'-separated
};

// Newer ids before the older ones of the same program.
constexpr TKnownCalculator kCalculators[] = {
    {"org.gnome.Calculator.desktop", "GNOME:Unity:Budgie"},
    {"gnome-calculator.desktop", "GNOME:Unity:Budgie"},
    {"org.kde.kcalc.desktop", "KDE"},
    {"kcalc.desktop", "KDE"},
    {"mate-calc.desktop", "MATE"},
    {"galculator.desktop", "XFCE:LXDE"},
    {"qalculate-gtk.desktop", ""},
    {"io.github.Qalculate.qalculate-qt.desktop", "LXQt"},
    {"qalculate-qt.desktop", "LXQt"},
};

} // namespace

std::vector<std::string> ApplicationFolders()
{
    std::vector<std::string> folders;
    std::string home = Environment("XDG_DATA_HOME");
    if (home.empty() || home[0] != '/') {
        const std::string user = Environment("HOME");
        home = user.empty() ? std::string() : WithSlash(user) + ".local/share";
    }
    if (!home.empty())
        folders.push_back(WithSlash(home) + "applications/");
    std::string dirs = Environment("XDG_DATA_DIRS");
    if (dirs.empty())
        dirs = "/usr/local/share:/usr/share";
    for (const auto& dir : Split(dirs, ':'))
        if (dir[0] == '/')
            folders.push_back(WithSlash(dir) + "applications/");
    return folders;
}

std::vector<std::string> CurrentDesktops() { return Split(Environment("XDG_CURRENT_DESKTOP"), ':'); }

std::optional<TDesktopEntry> ReadDesktopEntry(const std::string& path, const std::string& id)
{
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    TDesktopEntry entry;
    entry.id = id;
    entry.path = path;
    bool inGroup = false;
    bool seenGroup = false;
    std::string line;
    for (int lines = 0; std::getline(in, line) && lines < 10000; ++lines) {
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            seenGroup = seenGroup || inGroup;
            continue;
        }
        const auto eq = line.find('=');
        if (!inGroup || eq == std::string::npos)
            continue;
        const std::string key = Trimmed(line.substr(0, eq));
        const std::string value = Trimmed(line.substr(eq + 1));
        if (key == "Type")
            entry.application = value == "Application";
        else if (key == "Exec")
            entry.exec = value;
        else if (key == "TryExec")
            entry.tryExec = value;
        else if (key == "Hidden")
            entry.hidden = value == "true";
        else if (key == "OnlyShowIn")
            entry.onlyShowIn = Split(value, ';');
        else if (key == "NotShowIn")
            entry.notShowIn = Split(value, ';');
    }
    if (!seenGroup)
        return std::nullopt;
    return entry;
}

std::optional<TDesktopEntry> FindDesktopEntry(const std::string& id)
{
    if (!UsableId(id))
        return std::nullopt;
    for (const auto& folder : ApplicationFolders())
        if (auto entry = ReadDesktopEntry(folder + id, id))
            return entry;
    return std::nullopt;
}

bool Launchable(const TDesktopEntry& entry, const std::vector<std::string>& desktops)
{
    if (!entry.application || entry.hidden || entry.exec.empty())
        return false;
    if (!entry.onlyShowIn.empty() && !Intersects(entry.onlyShowIn, desktops))
        return false;
    if (Intersects(entry.notShowIn, desktops))
        return false;
    return entry.tryExec.empty() || !FindProgram(entry.tryExec).empty();
}

std::optional<TDesktopEntry> FindCalculator()
{
    const auto desktops = CurrentDesktops();
    std::vector<const TKnownCalculator*> order;
    for (const auto& known : kCalculators)
        if (Intersects(Split(known.desktops, ':'), desktops))
            order.push_back(&known);
    for (const auto& known : kCalculators)
        if (std::find(order.begin(), order.end(), &known) == order.end())
            order.push_back(&known);
    for (const auto* known : order) {
        auto entry = FindDesktopEntry(known->id);
        if (entry && Launchable(*entry, desktops))
            return entry;
    }
    return std::nullopt;
}

std::optional<TDesktopEntry> EntryNamed(const std::string& idText)
{
    auto entry = FindDesktopEntry(Trimmed(idText));
    if (entry && Launchable(*entry, CurrentDesktops()))
        return entry;
    return std::nullopt;
}

} // namespace platform
