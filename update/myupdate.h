#pragma once
// The self-updater. When the software information announces a version other
// than the running one, a worker thread downloads the update archive and its
// detached minisign signature, checks the signature against the key built
// into the program (and that it was made for the announced version) before
// anything is written, keeps the archive in the temporary folder, unpacks it
// flat into the program's folder, starts the new program and, once that is
// still running two seconds later, posts WM_UPDATE_DONE (WM_UPDATE_FAILED on
// any failure). When the updater is destroyed after a successful start, it
// leaves a clean-up script that deletes the old executable once this process
// has ended.
//
// Without a usable key, or where the program folder is not writable (a
// package manager's install), the program never updates itself.
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
        std::string tempFolder;     // the archive is downloaded here
        std::string programFolder;  // unpacked here; the new program starts from here
        std::string executableName; // the running executable, deleted by the script
    };

    TMyUpdate();
    ~TMyUpdate();
    TMyUpdate(const TMyUpdate&) = delete;
    TMyUpdate& operator=(const TMyUpdate&) = delete;

    // Starts the update worker when `info.version` is neither empty nor equal
    // to `currentVersion` (byte for byte; older versions update too), a
    // public key is set and the program folder is writable. True when it
    // started. At most one update per updater.
    bool CheckUpdate(const TUpdateForm& window, const SOFT_INFO& softInfo,
                     const std::string& currentVersion);

    // The worker's sequence; ends by posting one of the two messages.
    void RunUpdate();
    // GET `url` into memory (at most 256 MiB, failing after 60 s without
    // data) and its signature at `url` + ".minisig" (at most 4 KiB), verify
    // it, then write the archive to `path`; no file appears unless all
    // arrived and the signature holds.
    bool DownloadFile(const std::string& url, const std::string& path);
    // Unpacks `archivePath` flat into `destFolder` (see TArchiveUnpacker).
    bool UnpackArchive(const std::string& archivePath, const std::string& destFolder);

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
