#include "ArchiveUnpacker.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <zip.h>

#include "CentralDirectory.h"
#include "FileNames.h"
#include "ReplacingFile.h"
#include "codepage.h"

namespace {

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

constexpr std::uint8_t kDosOpsys = ZIP_OPSYS_DOS;
constexpr std::uint32_t kDosReadOnly = 0x01;
constexpr std::uint32_t kDosDirectory = 0x10;
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::size_t kEndRecordSize = 22; // the least an archive can be

// True when the stored name holds a NUL byte that the ZIP library showed as
// `shown` (as a blank, or cut off there).
bool HidesNul(std::string stored, const std::string& shown)
{
    const auto nul = stored.find('\0');
    if (nul == std::string::npos)
        return false;
    if (stored.compare(0, nul, shown) == 0 && shown.size() == nul)
        return true;
    std::replace(stored.begin(), stored.end(), '\0', ' ');
    return stored == shown;
}

} // namespace

struct TArchiveUnpacker::TEntryCursor {
    zip_t* archive;
    zip_uint64_t index;
    std::string destFolder;
    const std::vector<std::string>* storedNames; // exact names, when readable
};

TArchiveUnpacker::TArchiveUnpacker(THooks hooks, std::uint64_t maxTotalBytes)
    : hooks_(std::move(hooks)), maxTotalBytes_(maxTotalBytes)
{
}

bool TArchiveUnpacker::Fail(std::string message)
{
    error_ = std::move(message);
    return false;
}

bool TArchiveUnpacker::Unpack(std::string_view archiveBytes, const std::string& destFolder)
{
    error_.clear();
    written_.clear();
    mayWrite_.clear();
    totalBytes_ = 0;
    // Too short for the end record: the ZIP library would take an empty
    // buffer for an empty archive.
    if (archiveBytes.size() < kEndRecordSize)
        return Fail("not a ZIP archive");
    // The archive is read from these bytes only: what was checked is what is
    // unpacked, whatever happens to any file meanwhile.
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* source = zip_source_buffer_create(archiveBytes.data(), archiveBytes.size(), 0, &openError);
    ZipPtr archive(source ? zip_open_from_source(source, ZIP_RDONLY, &openError) : nullptr);
    if (!archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&openError);
        zip_error_fini(&openError);
        return Fail("cannot open the archive: " + why);
    }
    zip_error_fini(&openError);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0)
        return Fail("cannot read the archive directory");
    if (static_cast<std::uint64_t>(count) > kMaxEntries)
        return Fail("the archive has more than " + std::to_string(kMaxEntries) + " entries");
    std::string folder = destFolder;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    const auto storedNames = CentralDirectoryNames(archiveBytes);
    const bool namesMatch = storedNames && storedNames->size() == static_cast<std::uint64_t>(count);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (Cancelled())
            return Fail("cancelled");
        TEntryCursor entry{archive.get(), static_cast<zip_uint64_t>(i), folder,
                           namesMatch ? &*storedNames : nullptr};
        if (!Extract(entry))
            return false;
    }
    return true;
}

bool TArchiveUnpacker::Extract(TEntryCursor& entry)
{
    const char* raw = zip_get_name(entry.archive, entry.index, ZIP_FL_ENC_RAW);
    if (!raw)
        return Fail("unreadable entry name: " + std::string(zip_strerror(entry.archive)));
    const std::string rawName = raw;
    if (entry.storedNames && HidesNul(entry.storedNames->at(entry.index), rawName))
        return true;
    if (rawName.empty() || rawName.back() == '/' || rawName.back() == '\\')
        return true; // a folder

    std::uint8_t opsys = 0;
    std::uint32_t attributes = 0;
    if (zip_file_get_external_attributes(entry.archive, entry.index, 0, &opsys, &attributes) != 0)
        return Fail("unreadable entry attributes of " + rawName);
    const mode_t unixMode = static_cast<mode_t>(attributes >> 16);
    const bool fromUnix = opsys == ZIP_OPSYS_UNIX && unixMode != 0;
    if (fromUnix && (unixMode & S_IFMT) != 0 && !S_ISREG(unixMode))
        return true; // a folder, symbolic link or special file: never created
    if (opsys == kDosOpsys && (attributes & kDosDirectory))
        return true;

    const std::string name = FlattenEntryName(EntryNameToUtf8(rawName));
    if (name.empty())
        return true;
    const std::string target = entry.destFolder + name;
    struct stat existing {};
    const bool exists = ::lstat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return Fail("a folder is in the way of " + target);
    if (!MayWrite(name, exists))
        return true;

    ZipFilePtr in(zip_fopen_index(entry.archive, entry.index, 0));
    if (!in)
        return Fail("cannot read entry " + rawName + ": " + zip_strerror(entry.archive));
    const bool executable = fromUnix && (unixMode & 0111) != 0;
    TReplacingFile out(target, executable ? 0755 : 0644);
    if (!out.Ok())
        return Fail(out.Error());
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        if (Cancelled())
            return Fail("cancelled");
        const zip_int64_t n = zip_fread(in.get(), buffer.get(), kChunk);
        if (n < 0)
            return Fail("cannot read entry " + rawName + ": " + zip_file_strerror(in.get()));
        if (n == 0)
            break;
        totalBytes_ += static_cast<std::uint64_t>(n);
        if (totalBytes_ > maxTotalBytes_)
            return Fail("the archive unpacks to more than " + std::to_string(maxTotalBytes_) + " bytes");
        if (!out.Write(buffer.get(), static_cast<std::size_t>(n)))
            return Fail(out.Error());
    }
    if (opsys == kDosOpsys && (attributes & kDosReadOnly) && !out.MakeReadOnly())
        return Fail(out.Error());
    if (!out.Commit())
        return Fail(out.Error());
    written_.push_back(name);
    return true;
}

bool TArchiveUnpacker::MayWrite(const std::string& name, bool exists)
{
    const auto known = mayWrite_.find(name);
    if (known != mayWrite_.end())
        return known->second;
    // A file that was there before this archive is replaced only after a Yes;
    // the answer holds for every later entry of the same name.
    const bool yes = !exists || (hooks_.askReplace && hooks_.askReplace(Utf8ToAnsi(name)));
    mayWrite_.emplace(name, yes);
    return yes;
}
