#pragma once
// Unpacks a ZIP archive flat into one folder: every file entry lands directly
// in the folder under the last component of its name; folders, symbolic
// links and unusable names are skipped, so nothing is ever written outside
// the folder. A file the archive marks executable gets mode 0755, any other
// 0644, both narrowed by the umask (and a DOS read-only mark clears the
// write bit): never a group or other write bit. An entry whose file already
// exists is extracted only after the user said Yes, and each file name is
// asked about at most once. Archives of more than 10,000 entries are
// refused. The bytes actually extracted are counted against a total limit,
// whatever the archive's headers claim.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TArchiveUnpacker {
public:
    struct THooks {
        // The replace question; the name is in the 8-bit code page. Empty: No.
        std::function<bool(const std::string& fileName)> askReplace;
        // Polled between entries and between chunks; true stops with failure.
        std::function<bool()> cancelled;
    };

    static constexpr std::uint64_t kMaxEntries = 10000;

    TArchiveUnpacker(THooks hooks, std::uint64_t maxTotalBytes);

    // Unpacks the archive held in `archive` (read from there only, never from
    // a file). True when every entry was extracted or deliberately skipped. On
    // failure the files extracted before it stay in place and no partial file
    // is left.
    bool Unpack(std::string_view archive, const std::string& destFolder);

    const std::string& Error() const { return error_; }
    // File names (UTF-8) written by the last Unpack, in archive order.
    const std::vector<std::string>& Written() const { return written_; }

private:
    struct TEntryCursor;
    bool Extract(TEntryCursor& entry);
    bool Fail(std::string message);
    bool Cancelled() const { return hooks_.cancelled && hooks_.cancelled(); }
    bool MayWrite(const std::string& name, bool exists);

    THooks hooks_;
    std::uint64_t maxTotalBytes_;
    std::uint64_t totalBytes_ = 0;
    std::string error_;
    std::vector<std::string> written_;
    // Per file name of this unpacking: whether its entries may be written.
    std::map<std::string, bool> mayWrite_;
};
