#pragma once
// Settings of the publisher server and their command line.

#include <string>

struct TServerOptions {
    int port = 8700;                       // 0: any free port
    std::string catalog = "pallido-catalog.sqlite";
    std::string announceVersion = "20100823";
    std::string pageCaption = "热门活动";
    std::string updateArchive;             // served at the announced update_url
    std::string updateName = "pallido-update";
    bool quiet = false;
};

enum class TParseResult { Run, Help, Error };

// Reads "--port N", "--catalog FILE", "--announce-version TEXT",
// "--page-caption TEXT", "--update-archive FILE", "--update-name TEXT",
// "--quiet" and "--help" (each also as "--name=value"); `error` says what
// was wrong.
TParseResult ParseOptions(int argc, const char* const* argv, TServerOptions& options,
                          std::string& error);

std::string UsageText(const char* program);
