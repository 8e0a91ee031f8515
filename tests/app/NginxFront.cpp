#include "NginxFront.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

std::string Trimmed(const std::string& line)
{
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

// "server 127.0.0.1:8711 max_fails=..." inside an upstream block (not
// "server {" and not "server_name").
bool IsUpstreamServer(const std::string& trimmed)
{
    return trimmed.rfind("server ", 0) == 0 && trimmed.find('{') == std::string::npos;
}

// The main configuration: nothing outside `folder` is written, the workers
// run as the user who started nginx.
std::string MainConf(const std::string& folder)
{
    std::string conf = "daemon off;\nmaster_process on;\nworker_processes 1;\n";
    if (::geteuid() == 0)
        conf += "user root;\n"; // else the workers would be nobody, locked out of folder
    conf += "pid " + folder + "/nginx.pid;\nerror_log " + folder + "/error.log warn;\n";
    conf += "events { worker_connections 512; }\nhttp {\n";
    conf += "    log_format front '$status|$upstream_addr|$http_user_agent|$request_uri';\n";
    conf += "    access_log " + folder + "/access.log front;\n";
    for (const char* kind : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
        conf += std::string("    ") + kind + "_temp_path " + folder + "/" + kind + ";\n";
    conf += "    include " + folder + "/site.conf;\n}\n";
    return conf;
}

} // namespace

std::string LocalSite(const std::string& site, int port, const std::vector<int>& replicas,
                      const std::string& folder)
{
    std::istringstream in(site);
    std::string out, line;
    bool listening = false;
    std::size_t servers = 0;
    while (std::getline(in, line)) {
        const std::string t = Trimmed(line);
        const std::string indent = line.substr(0, line.size() - t.size());
        if (t.rfind("listen ", 0) == 0) {
            if (!listening)
                out += indent + "listen 127.0.0.1:" + std::to_string(port) + ";\n";
            listening = true;
            continue;
        }
        if (t.rfind("proxy_cache_path ", 0) == 0) {
            const auto options = t.find(' ', 17);
            out += indent + "proxy_cache_path " + folder + "/cache" +
                   (options == std::string::npos ? std::string(";") : t.substr(options)) + "\n";
            continue;
        }
        if (IsUpstreamServer(t)) {
            if (servers == replicas.size())
                return {};
            const auto options = t.find(' ', 7);
            out += indent + "server 127.0.0.1:" + std::to_string(replicas[servers++]) +
                   (options == std::string::npos ? ";" : t.substr(options)) + "\n";
            continue;
        }
        out += line + "\n";
    }
    return listening && servers == replicas.size() ? out : std::string();
}

std::string TNginxFront::Binary()
{
    if (const char* other = std::getenv("PALLIDO_TEST_NGINX"); other && *other)
        return other;
    for (const char* path : {"/usr/sbin/nginx", "/usr/local/sbin/nginx", "/usr/bin/nginx"})
        if (::access(path, X_OK) == 0)
            return path;
    return {};
}

bool TNginxFront::Start(const std::string& folder, const std::string& site, int port,
                        const std::vector<int>& replicas, std::string& error)
{
    folder_ = folder;
    const std::string local = LocalSite(ReadFile(site), port, replicas, folder);
    if (local.empty()) {
        error = site + " does not list " + std::to_string(replicas.size()) + " upstream servers and a listen line";
        return false;
    }
    if (!WriteFile(folder + "/site.conf", local) || !WriteFile(folder + "/nginx.conf", MainConf(folder))) {
        error = "cannot write the configuration under " + folder;
        return false;
    }
    if (!process_.Start(Binary(), {"-p", folder + "/", "-c", folder + "/nginx.conf", "-e", folder + "/error.log"})) {
        error = "cannot start " + Binary();
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (PortFree(port)) {
        if (!process_.Running() || std::chrono::steady_clock::now() > deadline) {
            error = "nginx does not listen on " + std::to_string(port) + ": " + Errors();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::vector<TFrontEntry> TNginxFront::Entries() const
{
    std::vector<TFrontEntry> entries;
    std::istringstream in(ReadFile(folder_ + "/access.log"));
    std::string line;
    while (std::getline(in, line)) {
        // status|upstreams|user agent|target, the target last: only it may
        // hold a "|" of its own.
        const auto a = line.find('|');
        const auto b = a == std::string::npos ? a : line.find('|', a + 1);
        const auto c = b == std::string::npos ? b : line.find('|', b + 1);
        if (c == std::string::npos)
            continue;
        TFrontEntry e;
        e.status = std::atoi(line.substr(0, a).c_str());
        e.upstreams = line.substr(a + 1, b - a - 1);
        e.userAgent = line.substr(b + 1, c - b - 1);
        e.request = RequestOfTarget(line.substr(c + 1));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::string TNginxFront::Errors() const { return ReadFile(folder_ + "/error.log"); }
