// Runs a fuzz target over the files named on the command line (or every file
// of the folders named), so the seed corpus and every past finding are
// replayed by the ordinary test suite, without the fuzzing engine.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            std::vector<std::filesystem::path> entries;
            for (const auto& e : std::filesystem::directory_iterator(p))
                if (e.is_regular_file())
                    entries.push_back(e.path());
            // In name order, so a seed can build on the one before it.
            std::sort(entries.begin(), entries.end());
            for (const auto& e : entries)
                files += RunFile(e);
        } else {
            files += RunFile(p);
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
