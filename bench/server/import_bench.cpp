// The catalog import of a publisher's own catalog: 100,000 items from CSV
// into a new catalog file (the whole "pallido-server import" command), the
// CSV reading and checking alone, and loading the result as the server
// does at start and on SIGHUP.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "Catalog.h"
#include "CatalogExport.h"
#include "CatalogImport.h"
#include "CatalogSeeder.h"
#include "CatalogStore.h"
#include "CatalogTransfer.h"
#include "CsvWriter.h"
#include "Values.h"

namespace {

constexpr std::size_t kItems = 100000;

// The demo's categories and sellers, and 100,000 items spread over them.
struct TCsvFiles {
    TCsvFiles()
    {
        const std::string base = "/tmp/pallido-import-bench-" + std::to_string(getpid());
        categories = base + "-categories.csv";
        sellers = base + "-sellers.csv";
        items = base + "-items.csv";
        catalog = base + ".sqlite";
        const TCatalog demo(TCatalogSeeder().Generate());
        const TCatalogExport exported(demo);
        std::ofstream(categories, std::ios::binary) << exported.Categories();
        std::ofstream(sellers, std::ios::binary) << exported.Sellers();
        TCsvWriter csv;
        csv.Row({"num_iid", "title", "nick", "cid", "price", "pic_url", "click_url", "volume", "commission",
                 "commission_rate", "commission_num", "commission_volume", "guarantee", "item_location"});
        for (std::size_t i = 0; i < kItems; ++i) {
            const auto& item = demo.Items()[i % demo.Items().size()];
            const std::string id = std::to_string(4000000000LL + static_cast<long long>(i));
            csv.Row({id, item.row.title + " " + std::to_string(i / demo.Items().size()),
                     demo.Sellers()[item.seller].row.nick, std::to_string(item.row.cid),
                     FormatHundredths(item.row.price), "https://img.example.com/bao/" + id + ".jpg",
                     "https://s.click.example.com/t?id=" + id, std::to_string(item.row.volume),
                     FormatHundredths(item.commission), FormatHundredths(item.row.commission_rate * 100),
                     std::to_string(item.row.commission_num), FormatHundredths(item.commissionVolume),
                     item.row.guarantee ? "true" : "false", i % 7 == 0 ? "广东 深圳" : ""});
        }
        std::ofstream(items, std::ios::binary) << csv.Text();
    }
    ~TCsvFiles()
    {
        for (const auto* p : {&categories, &sellers, &items, &catalog})
            std::remove(p->c_str());
    }
    std::string categories, sellers, items, catalog;
};

const TCsvFiles& Files()
{
    static const TCsvFiles files;
    return files;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

// The whole command: read, check, write a new file, rename it into place.
static void BM_Import100kItems(benchmark::State& state)
{
    const auto& f = Files();
    const char* argv[] = {"import",        "--catalog",      f.catalog.c_str(), "--categories",
                          f.categories.c_str(), "--sellers", f.sellers.c_str(), "--items",
                          f.items.c_str()};
    for (auto _ : state) {
        if (RunImport(9, argv) != 0)
            state.SkipWithError("import failed");
    }
    state.counters["items"] = static_cast<double>(kItems);
}
BENCHMARK(BM_Import100kItems)->Unit(benchmark::kMillisecond)->Iterations(3);

// Reading and checking the CSV text alone.
static void BM_ImportCheck100kItems(benchmark::State& state)
{
    const auto& f = Files();
    const std::string categories = Read(f.categories), sellers = Read(f.sellers), items = Read(f.items);
    for (auto _ : state) {
        TCatalogImport import(1300000000);
        import.Categories("categories.csv", categories);
        import.Sellers("sellers.csv", sellers);
        import.Items("items.csv", items);
        if (!import.Errors().empty())
            state.SkipWithError(import.Errors().front().c_str());
        benchmark::DoNotOptimize(import.Rows().items.data());
    }
}
BENCHMARK(BM_ImportCheck100kItems)->Unit(benchmark::kMillisecond)->Iterations(3);

// Loading the imported catalog, as at start and on SIGHUP.
static void BM_Load100kItemCatalog(benchmark::State& state)
{
    const auto& f = Files();
    const char* argv[] = {"import",        "--catalog",      f.catalog.c_str(), "--categories",
                          f.categories.c_str(), "--sellers", f.sellers.c_str(), "--items",
                          f.items.c_str()};
    if (RunImport(9, argv) != 0)
        state.SkipWithError("import failed");
    for (auto _ : state) {
        const TCatalog catalog(TCatalogStore::Load(f.catalog, TCatalogStore::TMissing::Fail));
        benchmark::DoNotOptimize(catalog.Items().data());
    }
}
BENCHMARK(BM_Load100kItemCatalog)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
