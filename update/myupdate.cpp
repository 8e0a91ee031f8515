#include "myupdate.h"

#include <cstdio>

#include <unistd.h>

#include "ArchiveUnpacker.h"
#include "CleanupScript.h"
#include "FileNames.h"
#include "Launcher.h"
#include "ReplacingFile.h"
#include "System.h"
#include "UpdateThread.h"
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

} // namespace

using myupdate::WM_UPDATE_DONE;
using myupdate::WM_UPDATE_FAILED;

TMyUpdate::TMyUpdate()
    : places{platform::TempFolder(), platform::ExecutableFolder(), platform::ExecutableName(),
             platform::CurrentFolder()},
      http(std::make_unique<THttpClient>(DownloadOptions()))
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
    if (worker_ || softInfo.version.empty() || softInfo.version == currentVersion)
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
    // archive and the new program could land anywhere.
    const std::string name = AnsiToUtf8(info.update_name);
    if (!IsBareFileName(name)) {
        SetError("unusable program name \"" + name + "\"");
        return false;
    }
    const std::string archive = places.tempFolder + name;
    if (!DownloadFile(info.update_url, archive))
        return false;
    if (!UnpackArchive(archive, places.programFolder))
        return false;
    std::remove(archive.c_str());

    const std::string program = places.programFolder + name + platform::ExecutableSuffix();
    // Not started once the window is closing: the user ended the program.
    const bool started = form.RunUnlessClosed(
        [&program] { return Launcher().StartDetached(program, {}); });
    if (!started) {
        SetError("cannot start " + program);
        return false;
    }
    startedProgram_ = program;
    installed.store(true);
    return true;
}

bool TMyUpdate::DownloadFile(const std::string& url, const std::string& path)
{
    std::string body;
    if (!http->Get(url, body)) {
        SetError("download of " + url + " failed: " + http->LastError());
        return false;
    }
    std::string error;
    if (!TReplacingFile::WriteAll(path, body, &error)) {
        SetError(error);
        return false;
    }
    return true;
}

bool TMyUpdate::UnpackArchive(const std::string& archivePath, const std::string& destFolder)
{
    TArchiveUnpacker::THooks hooks;
    hooks.askReplace = [this](const std::string& fileName) { return form.Ask(fileName); };
    hooks.cancelled = [this] { return form.Closed(); };
    TArchiveUnpacker unpacker(std::move(hooks), maxUnpackedBytes);
    if (!unpacker.Unpack(archivePath, destFolder)) {
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
    const TScriptKind kind = NativeScriptKind();
    TCleanupJob job;
    job.programFolder = places.programFolder;
    job.programName = places.executableName;
    job.pid = static_cast<long>(::getpid());
    job.scriptPath = places.scriptFolder + CleanupScriptName(kind);
    const std::string text = CleanupScriptText(kind, job);
    std::string error;
    if (text.empty() || !TReplacingFile::WriteAll(job.scriptPath, text, &error)) {
        SetError(text.empty() ? "no safe clean-up script for " + job.programName : error);
        return;
    }
    if (!Launcher().StartDetached("/bin/sh", {job.scriptPath}))
        SetError("cannot start " + job.scriptPath);
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
