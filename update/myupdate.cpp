#include "myupdate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <unistd.h>

#include "ArchiveUnpacker.h"
#include "CleanupScript.h"
#include "FileNames.h"
#include "Launcher.h"
#include "Minisign.h"
#include "System.h"
#include "UpdateThread.h"
#include "VersionOrder.h"
#include "codepage.h"

namespace {

THttpClient::Options DownloadOptions()
{
    THttpClient::Options o;
    o.connectTimeoutMs = 10000;
    o.stallTimeoutMs = 60000;
    o.maxBodyBytes = std::size_t(256) << 20;
    return o;
}

constexpr std::size_t kMaxSignatureBytes = 4096;
constexpr const char* kSignatureSuffix = ".minisig";

bool FolderWritable(const std::string& folder)
{
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Sets a client's body limit for the life of one request.
class TBodyLimit {
public:
    TBodyLimit(THttpClient& http, std::size_t limit) : http_(http), saved_(http.Settings().maxBodyBytes)
    {
        http_.Settings().maxBodyBytes = limit;
    }
    ~TBodyLimit() { http_.Settings().maxBodyBytes = saved_; }
    TBodyLimit(const TBodyLimit&) = delete;
    TBodyLimit& operator=(const TBodyLimit&) = delete;

private:
    THttpClient& http_;
    std::size_t saved_;
};

} // namespace

using myupdate::WM_UPDATE_DONE;
using myupdate::WM_UPDATE_FAILED;

TMyUpdate::TMyUpdate()
    : places{platform::TempFolder(), platform::ExecutableFolder(), platform::ExecutableName()},
      runningAsRoot(::geteuid() == 0), http(std::make_unique<THttpClient>(DownloadOptions()))
{
}

TMyUpdate::~TMyUpdate()
{
    form.Close();
    http->Abort();
    worker_.reset();
    if (installed.load())
        LeaveCleanupScript();
}

bool TMyUpdate::CheckUpdate(const TUpdateForm& window, const SOFT_INFO& softInfo,
                            const std::string& currentVersion)
{
    // Only a later release: an older one, however well signed, would bring
    // back what the newer one mended.
    if (worker_ || !IsNewerVersion(softInfo.version, currentVersion))
        return false;
    // Nothing is trusted without a key; a folder the user cannot write to is
    // kept up to date by whoever installed it. Root could write anywhere
    // (every folder looks writable to it), so root never updates itself.
    if (runningAsRoot || !ParseMinisignKey(publicKey) || !FolderWritable(places.programFolder))
        return false;
    form.Attach(window);
    info = softInfo;
    worker_ = std::make_unique<myupdate::TMyThread>(*this);
    return true;
}

void TMyUpdate::RunUpdate()
{
    int message = WM_UPDATE_FAILED;
    try {
        if (Install())
            message = WM_UPDATE_DONE;
    } catch (const std::exception& e) {
        SetError(e.what());
    }
    form.Post(message);
}

bool TMyUpdate::Install()
{
    // The name comes from the server: it must be one plain file name, or the
    // new program could be looked for anywhere. The signature names it too.
    const std::string name = AnsiToUtf8(info.update_name);
    if (!IsBareFileName(name) || name.find("..") != std::string::npos) {
        SetError("unusable program name \"" + name + "\"");
        return false;
    }
    // The archive stays in memory from the download to the unpacking: no
    // file that anybody else could replace or block in between.
    std::string archive;
    if (!DownloadFile(info.update_url, archive))
        return false;
    const std::string programName = name + platform::ExecutableSuffix();
    std::vector<std::string> written;
    if (!UnpackArchive(archive, places.programFolder, &written))
        return false;
    std::string().swap(archive);
    // Only the program this archive brought is started, never one that
    // happened to be in the folder already.
    if (std::find(written.begin(), written.end(), programName) == written.end()) {
        SetError("the archive did not bring " + programName);
        return false;
    }

    const std::string program = places.programFolder + programName;
    // Not started once the window is closing: the user ended the program.
    long pid = -1;
    const bool started = form.RunUnlessClosed([&program, &pid] {
        pid = Launcher().StartChild(program, {});
        return pid > 0;
    });
    if (!started) {
        SetError("cannot start " + program);
        return false;
    }
    if (!KeepsRunning(pid)) {
        SetError(program + " did not keep running");
        return false;
    }
    startedProgram_ = program;
    installed.store(true);
    return true;
}

bool TMyUpdate::KeepsRunning(long pid)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(confirmRunningMs);
    for (;;) {
        if (!Launcher().ChildRunning(pid) || form.Closed())
            return false;
        const auto left = end - steady_clock::now();
        if (left <= steady_clock::duration::zero())
            return true;
        std::this_thread::sleep_for(std::min<steady_clock::duration>(left, milliseconds(20)));
    }
}

bool TMyUpdate::DownloadFile(const std::string& url, std::string& archive)
{
    archive.clear();
    std::string body;
    if (!http->Get(url, body)) {
        SetError("download of " + url + " failed: " + http->LastError());
        return false;
    }
    if (!Verified(url, body))
        return false; // nothing of an unverified archive is kept
    archive.swap(body);
    return true;
}

bool TMyUpdate::Verified(const std::string& url, const std::string& archive)
{
    const auto key = ParseMinisignKey(publicKey);
    if (!key) {
        SetError("no update key");
        return false;
    }
    std::string signature;
    {
        TBodyLimit limit(*http, kMaxSignatureBytes);
        if (!http->Get(url + kSignatureSuffix, signature)) {
            SetError("download of the signature failed: " + http->LastError());
            return false;
        }
    }
    std::string why;
    // The signer names the release and the program it starts: neither can be
    // swapped for another one that the same key once signed.
    const std::vector<std::string> tokens = {"version=" + AnsiToUtf8(info.version),
                                             "name=" + AnsiToUtf8(info.update_name)};
    if (!VerifyMinisign(*key, archive, signature, tokens, &why)) {
        SetError("the update is refused: " + why);
        return false;
    }
    return true;
}

bool TMyUpdate::UnpackArchive(std::string_view archive, const std::string& destFolder,
                              std::vector<std::string>* written)
{
    TArchiveUnpacker::THooks hooks;
    hooks.askReplace = [this](const std::string& fileName) { return form.Ask(fileName); };
    hooks.cancelled = [this] { return form.Closed(); };
    TArchiveUnpacker unpacker(std::move(hooks), maxUnpackedBytes);
    const bool ok = unpacker.Unpack(archive, destFolder);
    if (written)
        *written = unpacker.Written();
    if (!ok) {
        SetError(unpacker.Error());
        return false;
    }
    return true;
}

void TMyUpdate::LeaveCleanupScript()
{
    // When the new program replaced the running executable under the same
    // name there is nothing old to delete.
    if (places.executableName.empty() ||
        startedProgram_ == places.programFolder + places.executableName)
        return;
    TCleanupJob job;
    job.programFolder = places.programFolder;
    job.programName = places.executableName;
    job.pid = static_cast<long>(::getpid());
    std::string error;
    if (!WriteCleanupScript(places.tempFolder, job, &error)) {
        SetError(error);
        return;
    }
    if (!Launcher().StartDetached("/bin/sh", {job.scriptPath})) {
        SetError("cannot start " + job.scriptPath);
        ::unlink(job.scriptPath.c_str());
    }
}

std::string TMyUpdate::LastError() const
{
    std::lock_guard<std::mutex> lock(errorMutex_);
    return lastError_;
}

void TMyUpdate::SetError(std::string text)
{
    std::lock_guard<std::mutex> lock(errorMutex_);
    lastError_ = std::move(text);
}
