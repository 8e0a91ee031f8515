// Throughput of the updater's two heavy steps: writing a downloaded archive
// (GET from a local server into memory, then to disk) and unpacking it flat,
// plus reading the central directory of an archive with many entries.
#include <benchmark/benchmark.h>

#include <random>

#include "ArchiveUnpacker.h"
#include "CentralDirectory.h"
#include "Minisign.h"
#include "TempDir.h"
#include "TestServer.h"
#include "TestSigner.h"
#include "ZipMaker.h"
#include "myupdate.h"

namespace {

// Half random, half repetitive, like a program with its resources.
std::string Payload(std::size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = (i / 4096) % 2 ? static_cast<char>(gen()) : static_cast<char>('a' + i % 7);
    return data;
}

void BM_UnpackArchive(benchmark::State& state)
{
    const std::size_t files = 8;
    const std::size_t each = static_cast<std::size_t>(state.range(0)) << 20;
    TTempDir dir;
    TZipMaker zip;
    for (std::size_t i = 0; i < files; ++i)
        zip.File("Pallido/lib/file" + std::to_string(i), Payload(each, static_cast<unsigned>(i)));
    const std::string archive = zip.Bytes();
    const std::string dest = dir.Sub("prog");
    TArchiveUnpacker::THooks hooks;
    hooks.askReplace = [](const std::string&) { return true; };
    for (auto _ : state) {
        TArchiveUnpacker unpacker(hooks, std::uint64_t(1) << 30);
        if (!unpacker.Unpack(archive, dest))
            state.SkipWithError(unpacker.Error().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files * each));
}
BENCHMARK(BM_UnpackArchive)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_DownloadFile(benchmark::State& state)
{
    const std::size_t size = static_cast<std::size_t>(state.range(0)) << 20;
    TTestServer server;
    TCannedReply reply;
    reply.body = Payload(size, 7);
    reply.contentType = "application/zip";
    server.Set("/update.zip", reply);
    TTestSigner signer;
    server.Set("/update.zip.minisig", signer.SignUpdate(reply.body, "20100901", "pallido"));
    TMyUpdate updater;
    updater.publicKey = signer.PublicKeyLine();
    updater.info.version = "20100901";
    updater.info.update_name = "pallido";
    std::string archive;
    for (auto _ : state) {
        if (!updater.DownloadFile(server.BaseUrl() + "update.zip", archive))
            state.SkipWithError(updater.LastError().c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_DownloadFile)->Arg(16)->Arg(128)->Unit(benchmark::kMillisecond);

// Checking an archive's signature once it is in memory; arg 0 the prehashed
// "ED" algorithm minisign uses by default, 1 the file itself ("Ed").
void BM_VerifySignature(benchmark::State& state)
{
    const bool legacy = state.range(0) != 0;
    const std::size_t size = std::size_t(10) << 20;
    const std::string archive = Payload(size, 11);
    TTestSigner signer;
    const std::string signature = signer.SignVersion(archive, "20100901", legacy);
    const TMinisignKey key = *ParseMinisignKey(signer.PublicKeyLine());
    for (auto _ : state) {
        if (!VerifyMinisign(key, archive, signature, {"version=20100901"}))
            state.SkipWithError("the signature did not verify");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.SetLabel(legacy ? "Ed, 10 MiB" : "ED, 10 MiB");
}
BENCHMARK(BM_VerifySignature)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CentralDirectoryNames(benchmark::State& state)
{
    TZipMaker zip;
    for (int i = 0; i < state.range(0); ++i)
        zip.File("Pallido/skins/entry" + std::to_string(i) + ".png", "", 0100644, false);
    const std::string archive = zip.Bytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(CentralDirectoryNames(archive));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CentralDirectoryNames)->Arg(1000)->Arg(70000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
