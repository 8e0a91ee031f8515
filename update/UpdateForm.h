#pragma once
// What the updater needs from the main window, and the two messages it posts
// back. The window supplies plain callbacks, so this layer stays free of any
// GUI toolkit.

#include <functional>
#include <string>

// Posted (wParam 0, lParam 0) by the update worker when it is done. In their
// own namespace, so the window may keep its own typed constants of these
// numbers beside them.
namespace myupdate {
inline constexpr int WM_UPDATE_DONE = 1055;   // the new program has been started
inline constexpr int WM_UPDATE_FAILED = 1056; // download, unpacking or start failed
} // namespace myupdate

// Title and text of the question asked before an extracted file replaces an
// existing one. `fileName` is in the 8-bit code page, like every core string.
inline constexpr const char* kFileExistsTitle = "File Exists Alert";
inline std::string ReplaceQuestion(const std::string& fileName)
{
    return "Replace existing file " + fileName + "?";
}

struct TUpdateForm {
    // Posts WM_UPDATE_DONE or WM_UPDATE_FAILED to the window's queue. Called
    // on the worker thread; must return at once and must not call back into
    // the updater.
    std::function<void(int message)> post;
    // Queues `task` to run later on the window's (GUI) thread and returns at
    // once. Empty: questions are asked directly on the worker thread.
    std::function<void(std::function<void()> task)> runOnGui;
    // Shows the "File Exists Alert" Yes/No box and, once the user answered,
    // calls `answer` with true for Yes (at most once; never when the box went
    // away unanswered). Runs on the GUI thread (through runOnGui) and need
    // not wait for the answer, so the window stays usable while the worker
    // waits; without runOnGui it must answer before it returns. Empty:
    // existing files are always kept.
    std::function<void(const std::string& fileName, std::function<void(bool yes)> answer)> askReplace;
};
