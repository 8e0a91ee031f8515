// pallido-server: the local publisher server for Pallido.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

#include "Catalog.h"
#include "CatalogStore.h"
#include "PublisherServer.h"
#include "ServerOptions.h"

int main(int argc, char** argv)
{
    TServerOptions options;
    std::string error;
    switch (ParseOptions(argc, argv, options, error)) {
    case TParseResult::Help:
        std::fputs(UsageText(argv[0]).c_str(), stdout);
        return 0;
    case TParseResult::Error:
        std::fprintf(stderr, "pallido-server: %s\n%s", error.c_str(), UsageText(argv[0]).c_str());
        return 2;
    case TParseResult::Run:
        break;
    }

    // SIGINT and SIGTERM are taken by one thread with sigwait; every other
    // thread (all started later) inherits the blocked mask. A peer that
    // closes its connection early must not kill the process.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<TCatalog> catalog;
    bool seeded = false;
    try {
        catalog = std::make_unique<TCatalog>(TCatalogStore::Load(options.catalog, &seeded));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pallido-server: %s\n", e.what());
        return 1;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();

    TPublisherServer server(*catalog, options);
    if (!server.Bind(error)) {
        std::fprintf(stderr, "pallido-server: %s\n", error.c_str());
        return 1;
    }
    if (catalog->Skipped() > 0)
        std::fprintf(stderr, "pallido-server: %zu catalog rows left out (unknown references)\n",
                     catalog->Skipped());
    if (!options.quiet) {
        std::printf("pallido-server: %s catalog %s (%zu categories, %zu sellers, %zu items) in %lld ms\n"
                    "pallido-server: listening on %s\n",
                    seeded ? "created" : "opened", options.catalog.c_str(),
                    catalog->Categories().size(), catalog->Sellers().size(),
                    catalog->Items().size(), static_cast<long long>(ms), server.BaseUrl().c_str());
        std::fflush(stdout);
    }

    std::atomic<bool> finished{false};
    std::thread waiter([&] {
        int sig = 0;
        sigwait(&stopSignals, &sig);
        // Stop until serving has ended: a signal that arrives before the
        // server runs must not be lost.
        while (!finished.load()) {
            server.Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    server.Listen();
    finished.store(true);
    pthread_kill(waiter.native_handle(), SIGTERM); // wakes it if no signal came
    waiter.join();
    if (!options.quiet)
        std::printf("pallido-server: stopped\n");
    return 0;
}
