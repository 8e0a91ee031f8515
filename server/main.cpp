// pallido-server: the publisher server for Pallido, and its catalog import
// and export.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#include "Catalog.h"
#include "CatalogStore.h"
#include "CatalogTransfer.h"
#include "PublisherServer.h"
#include "ServerOptions.h"

namespace {

std::shared_ptr<const TCatalog> LoadCatalog(const std::string& path, TCatalogStore::TMissing missing,
                                            bool* seeded, std::string& error)
{
    try {
        return std::make_shared<const TCatalog>(TCatalogStore::Load(path, missing, seeded));
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

void ReportSkipped(const TCatalog& catalog)
{
    if (catalog.Skipped() > 0)
        std::fprintf(stderr, "pallido-server: %zu catalog rows left out (unknown references)\n",
                     catalog.Skipped());
}

// SIGHUP: the catalog file is read again; a file that does not load leaves
// the running catalog in place.
void Reload(TPublisherServer& server, const TServerOptions& options)
{
    std::string error;
    const auto catalog = LoadCatalog(options.catalog, TCatalogStore::TMissing::Fail, nullptr, error);
    if (!catalog) {
        std::fprintf(stderr, "pallido-server: reload failed, still serving the previous catalog: %s\n",
                     error.c_str());
        return;
    }
    ReportSkipped(*catalog);
    server.Reload(catalog);
    if (!options.quiet)
        std::fprintf(stderr, "pallido-server: reloaded catalog %s (%zu items)\n", options.catalog.c_str(),
                     catalog->Items().size());
}

int Serve(int argc, char** argv)
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

    // The control signals are taken by one thread with sigwait; every other
    // thread (all started later) inherits the blocked mask. A peer that
    // closes its connection early must not kill the process.
    sigset_t signals;
    sigemptyset(&signals);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaddset(&signals, sig);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const auto started = std::chrono::steady_clock::now();
    bool seeded = false;
    const auto catalog = LoadCatalog(options.catalog,
                                     options.noDemo ? TCatalogStore::TMissing::Fail
                                                    : TCatalogStore::TMissing::CreateDemo,
                                     &seeded, error);
    if (!catalog) {
        std::fprintf(stderr, "pallido-server: %s\n", error.c_str());
        return 1;
    }
    if (seeded)
        std::fprintf(stderr, "pallido-server: catalog %s did not exist; created it with the demo catalog\n",
                     options.catalog.c_str());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();

    TPublisherServer server(catalog, options);
    if (!server.Bind(error)) {
        std::fprintf(stderr, "pallido-server: %s\n", error.c_str());
        return 1;
    }
    ReportSkipped(*catalog);
    if (!options.quiet) {
        std::printf("pallido-server: %s catalog %s (%zu categories, %zu sellers, %zu items) in %lld ms\n"
                    "pallido-server: listening on %s:%d, addresses written as %s\n",
                    seeded ? "created" : "opened", options.catalog.c_str(),
                    catalog->Categories().size(), catalog->Sellers().size(),
                    catalog->Items().size(), static_cast<long long>(ms), options.listen.c_str(),
                    server.Port(), server.BaseUrl().c_str());
        std::fflush(stdout);
    }

    std::atomic<bool> finished{false};
    std::thread waiter([&] {
        while (true) {
            int sig = 0;
            sigwait(&signals, &sig);
            if (finished.load())
                return;
            if (sig == SIGHUP) {
                Reload(server, options);
                continue;
            }
            if (sig == SIGUSR1) {
                std::string logError;
                if (!server.ReopenLog(logError))
                    std::fprintf(stderr, "pallido-server: %s\n", logError.c_str());
                continue;
            }
            // Stop until serving has ended: a signal that arrives before the
            // server runs must not be lost.
            while (!finished.load()) {
                server.Stop();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return;
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

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "import") == 0)
        return RunImport(argc - 1, argv + 1);
    if (argc > 1 && std::strcmp(argv[1], "export") == 0)
        return RunExport(argc - 1, argv + 1);
    return Serve(argc, argv);
}
