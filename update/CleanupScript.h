#pragma once
// The small script left behind after an update: it waits until the old
// program has exited, deletes the old executable and then itself.

#include <string>

enum class TScriptKind {
    WindowsBatch, // "update.bat": retries the deletion until it succeeds
    PosixShell,   // waits for the process id, then deletes; written under a unique name
};

struct TCleanupJob {
    std::string programFolder; // folder of the old executable, ending with "/"
    std::string programName;   // the old executable's bare file name
    long pid = 0;              // the old process
    std::string scriptPath;    // where the script itself is written
};

// The batch's own file name, "update.bat", which its last line deletes; the
// shell script deletes itself by its full path, so any name works ("update.sh"
// is only its usual one).
const char* CleanupScriptName(TScriptKind kind);
// The kind used on the platform this is built for.
TScriptKind NativeScriptKind();

// The script text. The batch is the classic five lines with CR LF ends and
// names the program only by its bare name (it runs in the program's working
// folder); "%" is doubled so the name is taken literally. The shell script
// quotes every path. Empty when the job cannot be expressed safely (empty
// name, a name with a folder separator, NUL, CR, LF, or a double quote for
// the batch), in which case no script should be written.
std::string CleanupScriptText(TScriptKind kind, const TCleanupJob& job);

// Writes the native script for `job` under a new unique name in `folder`
// (created with mkstemp, mode 0700, so no file of the user's is ever
// replaced) and sets `job.scriptPath` to it. False, with nothing left
// behind, when the script cannot be written or expressed safely.
bool WriteCleanupScript(const std::string& folder, TCleanupJob& job, std::string* error);

// `text` in single quotes for a POSIX shell, embedded quotes escaped.
std::string ShellQuote(const std::string& text);
