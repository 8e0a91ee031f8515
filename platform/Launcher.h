#pragma once
// Starting programs and opening addresses outside the program. Everything
// the client starts or hands to the desktop goes through Launcher(), so tests
// can install a recorder and see what would have been started.

#include <map>
#include <string>
#include <vector>

class ILauncher {
public:
    virtual ~ILauncher() = default;
    // Starts `program` (a path, or a bare name searched in PATH) detached from
    // this process, with its output discarded. False when it cannot be started.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& args) = 0;
    // Starts `program` as a child of this process in a session of its own
    // (it outlives this process), with its output discarded, so that the
    // caller can watch whether it keeps running. Its process id, or -1 when
    // it cannot be started.
    virtual long StartChild(const std::string& program, const std::vector<std::string>& args) = 0;
    // True while the child `pid` from StartChild has not ended.
    virtual bool ChildRunning(long pid) = 0;
    // Hands an http or https address to the desktop's default browser; any
    // other scheme is refused (false) and nothing is started.
    virtual bool OpenUrl(const std::string& url) = 0;
    // Runs `program` (searched in PATH) and returns what it printed, once it
    // exited with status 0 within a few seconds; empty otherwise.
    virtual std::string Query(const std::string& program, const std::vector<std::string>& args) = 0;
};

ILauncher& Launcher();
// Replaces the launcher (nullptr restores the real one); the caller keeps ownership.
void SetLauncher(ILauncher* launcher);

// True for "http://..." and "https://..." (scheme in any letter case).
bool IsWebUrl(const std::string& url);

// Full path of `name` found in PATH (or `name` itself when it holds a "/" and
// is executable); empty when not found.
std::string FindProgram(const std::string& name);

// Starts the desktop's own calculator by its desktop entry (see
// platform::FindCalculator), else the first of gnome-calculator, kcalc,
// galculator, mate-calc and xcalc found; false when there is none.
bool StartCalculator();
// Starts the user's default web browser (xdg-settings) by its desktop entry,
// else x-www-browser; false, with nothing started, when there is neither.
bool StartWebBrowser();

// A launcher that only records, for tests.
class TRecordingLauncher : public ILauncher {
public:
    struct Call {
        std::string program; // empty for OpenUrl
        std::vector<std::string> args;
        std::string url;
    };
    bool StartDetached(const std::string& program, const std::vector<std::string>& args) override;
    long StartChild(const std::string& program, const std::vector<std::string>& args) override;
    bool ChildRunning(long pid) override;
    bool OpenUrl(const std::string& url) override;
    std::string Query(const std::string& program, const std::vector<std::string>& args) override;

    std::vector<Call> calls;
    std::vector<Call> queries;                   // Query calls, apart from the starts
    std::map<std::string, std::string> answers;  // what Query answers, by program
    bool startResult = true;
    bool childRuns = true; // what ChildRunning answers
};
