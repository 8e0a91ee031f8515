#pragma once
// The self-updater. When the software information announces a version newer
// than the running one, a worker thread downloads the update archive and its
// detached minisign signature into memory, checks the signature against the
// key built into the program (and that its trusted comment names the
// announced version and program), unpacks those very bytes flat into the
// program's folder (nothing is written anywhere else before that), starts the
// new program the archive brought and, once that is
// still running two seconds later, posts WM_UPDATE_DONE (WM_UPDATE_FAILED on
// any failure). When the updater is destroyed after a successful start, it
// leaves a clean-up script that deletes the old executable once this process
// has ended.
//
// Without a usable key, where the program folder is not writable (a package
// manager's install), or when running as root, the program never updates
// itself.
//
// Threads: CheckUpdate and the destructor run on the GUI thread, everything
// else on the worker. The destructor stops a running update (aborts the
// download, answers a pending question "No", posts nothing more) and waits
// for the worker, so it never blocks on the GUI thread.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "HttpClient.h"
#include "UpdateForm.h"
#include "WindowLink.h"
#include "ok.h"

namespace myupdate {
class TMyThread;
}

class TMyUpdate {
public:
    // Where the update goes. Defaults come from the platform layer, taken at
    // construction; tests point them at folders of their own.
    struct TPlaces {
        std::string tempFolder;     // the clean-up script is written here
        std::string programFolder;  // unpacked here; the new program starts from here
        std::string executableName; // the running executable, deleted by the script
    };

    TMyUpdate();
    ~TMyUpdate();
    TMyUpdate(const TMyUpdate&) = delete;
    TMyUpdate& operator=(const TMyUpdate&) = delete;

    // Starts the update worker when `info.version` is a whole number greater
    // than `currentVersion` (equal, older or other texts start nothing), a
    // public key is set, the process does not run as root and the program
    // folder is writable. True when it started. At most one update per
    // updater.
    bool CheckUpdate(const TUpdateForm& window, const SOFT_INFO& softInfo,
                     const std::string& currentVersion);

    // The worker's sequence; ends by posting one of the two messages.
    void RunUpdate();
    // GET `url` into memory (at most 256 MiB, failing after 60 s without
    // data) and its signature at `url` + ".minisig" (at most 4 KiB), and
    // verify it; `archive` gets the bytes only when all arrived and the
    // signature holds. Nothing is written to any file.
    bool DownloadFile(const std::string& url, std::string& archive);
    // Unpacks the archive held in `archive` flat into `destFolder` (see
    // TArchiveUnpacker); `written` gets the names of the files it wrote.
    bool UnpackArchive(std::string_view archive, const std::string& destFolder,
                       std::vector<std::string>* written = nullptr);

    void SetStallTimeoutMs(long ms) { http->Settings().stallTimeoutMs = ms; }
    bool Installed() const { return installed.load(); }
    // Why the last step failed, for diagnostics.
    std::string LastError() const;

    TPlaces places;
    std::uint64_t maxUnpackedBytes = std::uint64_t(1) << 30;
    // The minisign public key line the archives must be signed with; set by
    // the program from its build. Empty: no update.
    std::string publicKey;
    // How long the new program must keep running before the update counts.
    long confirmRunningMs = 2000;
    // Whether the process runs as root (effective uid 0), taken at
    // construction: then it never updates itself. Tests that run as root
    // clear it to drive the updater.
    bool runningAsRoot;

    TWindowLink form;                  // the window's callbacks
    SOFT_INFO info;                    // the updater's own copy
    std::atomic<bool> installed{false}; // the new program has been started
    std::unique_ptr<THttpClient> http;

private:
    bool Install();
    bool Verified(const std::string& url, const std::string& archive);
    bool KeepsRunning(long pid);
    void LeaveCleanupScript();
    void SetError(std::string text);

    std::string startedProgram_;
    mutable std::mutex errorMutex_;
    std::string lastError_;
    std::unique_ptr<myupdate::TMyThread> worker_;
};
