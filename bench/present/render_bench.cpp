// Rendering one page of 40 items in each layout (target: at most 100 µs).
#include <benchmark/benchmark.h>

#include "PageRender.h"
#include "SampleRows.h"

namespace {

const std::string kPictures = "http://127.0.0.1:8700/img/";

void BM_ResultGrid40(benchmark::State& state)
{
    const TResultRows rows = SampleResultRows(kPictures);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildResultGridPage(rows));
}
BENCHMARK(BM_ResultGrid40)->Unit(benchmark::kMicrosecond);

void BM_ResultList40(benchmark::State& state)
{
    const TResultRows rows = SampleResultRows(kPictures);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildResultListPage(rows));
}
BENCHMARK(BM_ResultList40)->Unit(benchmark::kMicrosecond);

void BM_ShopGrid40(benchmark::State& state)
{
    const SHOP_ITEM shop = SampleShop(kPictures);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildShopGridPage(shop));
}
BENCHMARK(BM_ShopGrid40)->Unit(benchmark::kMicrosecond);

void BM_ShopList40(benchmark::State& state)
{
    const SHOP_ITEM shop = SampleShop(kPictures);
    for (auto _ : state)
        benchmark::DoNotOptimize(BuildShopListPage(shop));
}
BENCHMARK(BM_ShopList40)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
