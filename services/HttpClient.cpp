#include "HttpClient.h"

#include <chrono>
#include <memory>
#include <mutex>

#include <curl/curl.h>

namespace {

void GlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};

using Clock = std::chrono::steady_clock;

struct Transfer {
    std::string* body;
    std::size_t maxBody;
    bool tooBig = false;
    long stallMs;
    Clock::time_point lastData;
    curl_off_t lastReceived = 0;
    const std::atomic<bool>* aborted;
    bool stalled = false;
};

size_t OnData(char* ptr, size_t size, size_t nmemb, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * nmemb;
    if (t->body->size() + n > t->maxBody) {
        t->tooBig = true;
        return 0; // makes curl fail the transfer
    }
    t->body->append(ptr, n);
    t->lastData = Clock::now();
    return n;
}

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    if (t->aborted->load())
        return 1;
    const auto now = Clock::now();
    if (dlnow != t->lastReceived) {
        t->lastReceived = dlnow;
        t->lastData = now;
    }
    if (t->stallMs > 0 &&
        std::chrono::duration_cast<std::chrono::milliseconds>(now - t->lastData).count() >
            t->stallMs) {
        t->stalled = true;
        return 1;
    }
    return 0;
}

// The codes of a request that got no answer to use: nothing to connect to,
// the connection lost, or no answer in time.
bool NoAnswer(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return true;
    default:
        return false;
    }
}

} // namespace

THttpClient::THttpClient() : THttpClient(Options{}) {}

THttpClient::THttpClient(const Options& options) : options_(options) { GlobalInit(); }

bool THttpClient::Get(const std::string& url, std::string& body)
{
    body.clear();
    lastError_.clear();
    lastStatus_ = 0;
    failure_ = TFailure::BadReply;
    if (aborted_.load()) {
        lastError_ = "aborted";
        return false;
    }
    std::unique_ptr<CURL, CurlDeleter> h(curl_easy_init());
    if (!h) {
        lastError_ = "curl_easy_init failed";
        return false;
    }
    Transfer t{&body, options_.maxBodyBytes, false, options_.stallTimeoutMs, Clock::now(), 0,
               &aborted_, false};
    char errbuf[CURL_ERROR_SIZE] = {0};

    CURL* c = h.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
    if (options_.connectTimeoutMs > 0)
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options_.connectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);

    const CURLcode rc = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &lastStatus_);
    if (rc != CURLE_OK) {
        if (t.tooBig)
            lastError_ = "reply too large";
        else if (t.stalled)
            lastError_ = "read time-out";
        else if (aborted_.load())
            lastError_ = "aborted";
        else
            lastError_ = errbuf[0] ? errbuf : curl_easy_strerror(rc);
        if (t.stalled || (!t.tooBig && !aborted_.load() && NoAnswer(rc)))
            failure_ = TFailure::Unreachable;
        body.clear();
        return false;
    }
    if (lastStatus_ < 200 || lastStatus_ > 299) {
        lastError_ = "HTTP status " + std::to_string(lastStatus_);
        body.clear();
        return false;
    }
    failure_ = TFailure::None;
    return true;
}
