#include "ZipMaker.h"

#include <stdexcept>

#include <zip.h>

#include "TempDir.h"

TZipMaker& TZipMaker::File(const std::string& name, const std::string& data, std::uint32_t unixMode,
                           bool deflate)
{
    entries_.push_back({name, data, unixMode, false, deflate});
    return *this;
}

TZipMaker& TZipMaker::Folder(const std::string& name)
{
    entries_.push_back({name, {}, 040755, true, false});
    return *this;
}

TZipMaker& TZipMaker::Symlink(const std::string& name, const std::string& target)
{
    entries_.push_back({name, target, 0120777, false, false});
    return *this;
}

void TZipMaker::Save(const std::string& path) const
{
    int code = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z)
        throw std::runtime_error("zip_open failed");
    auto fail = [z](const char* what) {
        const std::string text = std::string(what) + ": " + zip_strerror(z);
        zip_discard(z);
        throw std::runtime_error(text);
    };
    for (const TEntry& e : entries_) {
        zip_int64_t index;
        if (e.folder) {
            index = zip_dir_add(z, e.name.c_str(), ZIP_FL_ENC_RAW);
        } else {
            zip_source_t* src = zip_source_buffer(z, e.data.data(), e.data.size(), 0);
            if (!src)
                fail("zip_source_buffer");
            index = zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_RAW);
            if (index < 0)
                zip_source_free(src);
        }
        if (index < 0)
            fail("adding an entry");
        const auto i = static_cast<zip_uint64_t>(index);
        if (!e.folder &&
            zip_set_file_compression(z, i, e.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) != 0)
            fail("zip_set_file_compression");
        const zip_uint8_t opsys = e.unixMode ? ZIP_OPSYS_UNIX : ZIP_OPSYS_DOS;
        if (zip_file_set_external_attributes(z, i, 0, opsys, e.unixMode << 16) != 0)
            fail("zip_file_set_external_attributes");
    }
    if (zip_close(z) != 0)
        fail("zip_close");
}

std::string TZipMaker::Bytes() const
{
    TTempDir dir;
    const std::string path = dir.Path() + "a.zip";
    Save(path);
    return ReadFile(path);
}
