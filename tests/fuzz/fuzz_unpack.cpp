// Unpacking of a hostile update archive: whatever the bytes, nothing may be
// written outside the program folder, and only plain files may appear in it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

#include "ArchiveUnpacker.h"

namespace fs = std::filesystem;

namespace {

struct TSandbox {
    TSandbox()
    {
        char tmpl[] = "/tmp/pallido_fuzz_unpack_XXXXXX";
        root = ::mkdtemp(tmpl);
        dest = root / "program";
        fs::create_directories(dest);
        // A file that an honest archive entry of the same name may replace.
        std::ofstream(dest / "pallido") << "old";
    }
    ~TSandbox() { fs::remove_all(root); }
    fs::path root;
    fs::path dest;
};

TSandbox& Box()
{
    static TSandbox box;
    return box;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TSandbox& box = Box();
    int asked = 0;
    TArchiveUnpacker::THooks hooks;
    hooks.askReplace = [&asked](const std::string&) { return (++asked % 2) == 1; };
    TArchiveUnpacker unpacker(hooks, 64u << 20);
    unpacker.Unpack(std::string_view(reinterpret_cast<const char*>(data), size), box.dest.string() + "/");

    // Nothing may appear beside the program folder.
    for (const auto& e : fs::directory_iterator(box.root))
        if (e.path() != box.dest)
            __builtin_trap();
    // Inside the program folder: plain files only, nothing nested.
    for (const auto& e : fs::directory_iterator(box.dest)) {
        if (e.is_symlink() || !fs::is_regular_file(fs::symlink_status(e.path())))
            __builtin_trap();
        if (e.path().filename() != "pallido")
            fs::remove(e.path());
    }
    std::ofstream(box.dest / "pallido", std::ios::trunc) << "old";
    return 0;
}
