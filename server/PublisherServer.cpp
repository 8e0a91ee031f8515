#include "PublisherServer.h"

#include <httplib.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <utility>

#include "AccessLog.h"
#include "ApiError.h"
#include "FileBody.h"
#include "QueryString.h"
#include "RangeHeader.h"
#include "Snapshot.h"
#include "SoftInfoScript.h"
#include "Values.h"
#include "WorkerPool.h"
#include "XmlWriter.h"

namespace {

using httplib::Request;
using httplib::Response;
using Clock = std::chrono::steady_clock;

constexpr const char* kXml = "text/xml; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kSignatureSuffix = ".minisig";

// When the request being answered on this thread reached the router; the
// access log takes its time from it.
thread_local std::optional<Clock::time_point> tRequestStart;

bool IsScriptPath(const std::string& path)
{
    return path.empty() ||
           (path.rfind("/taobao/", 0) == 0 && path.rfind("/taobao/III/", 0) != 0);
}

// Parameters of a page request; an unreadable query reads as no parameters.
TQueryString PageQuery(const Request& req)
{
    TQueryString q;
    q.Parse(TQueryString::OfTarget(req.target));
    return q;
}

std::int64_t PageNumber(const TQueryString& q)
{
    const auto page = ParsePageNo(q.Get("page"));
    return page ? *page : 1;
}

void NotFound(Response& res) { res.status = 404; }

// The body length of a reply as the library will send it.
std::size_t BodyLength(const Response& res)
{
    return res.content_provider_ ? res.content_length_ : res.body.size();
}

// Keeps a single range the body can satisfy (made absolute), or answers
// 416; ranges on anything but a whole 200 reply are dropped.
void FitRange(Request& req, Response& res)
{
    if (req.ranges.empty())
        return;
    if (res.status != -1 && res.status != 200) {
        req.ranges.clear();
        return;
    }
    const std::size_t length = BodyLength(res);
    const auto range = ResolveRange(req.ranges.front(), length);
    req.ranges.clear();
    if (range) {
        req.ranges.push_back(*range);
        return;
    }
    res = Response{};
    res.status = 416;
    res.set_header("Content-Range", "bytes */" + std::to_string(length));
}

} // namespace

TPublisherServer::TPublisherServer(const TCatalog& catalog, TServerOptions options)
    : TPublisherServer(std::shared_ptr<const TCatalog>(&catalog, [](const TCatalog*) {}),
                       std::move(options))
{
}

TPublisherServer::TPublisherServer(std::shared_ptr<const TCatalog> catalog, TServerOptions options)
    : firstCatalog_(std::move(catalog)), options_(std::move(options)),
      http_(std::make_unique<httplib::Server>())
{
}

TPublisherServer::~TPublisherServer() { Stop(); }

std::string TPublisherServer::BaseUrl() const { return BaseUrlFor(options_, port_); }

std::shared_ptr<const TSnapshot> TPublisherServer::Current() const
{
    return std::atomic_load(&snapshot_);
}

void TPublisherServer::Reload(std::shared_ptr<const TCatalog> catalog)
{
    auto next = std::make_shared<const TSnapshot>(std::move(catalog), BaseUrl(), options_);
    std::atomic_store(&snapshot_, std::shared_ptr<const TSnapshot>(std::move(next)));
}

bool TPublisherServer::ReopenLog(std::string& error) { return !log_ || log_->Open(error); }

bool TPublisherServer::Bind(std::string& error)
{
    // Only SO_REUSEADDR: the library's default also sets SO_REUSEPORT, which
    // would let a second server share the port instead of failing.
    http_->set_socket_options([this](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        // A connection is handed to a worker once its request has arrived:
        // clients open a new connection for every GET, and the worker
        // would otherwise first sleep until the request comes. (A
        // connection that sends nothing is accepted after a few seconds
        // all the same, and then closed by the read time-out.)
        int seconds = 1;
        setsockopt(sock, IPPROTO_TCP, TCP_DEFER_ACCEPT, &seconds, sizeof seconds);
        listening_ = sock;
    });
    // Headers and body go out in separate writes; without this a kept-alive
    // connection waits for the delayed acknowledgement.
    http_->set_tcp_nodelay(true);
    http_->set_keep_alive_max_count(1000);
    // An idle connection holds its worker until this runs out.
    http_->set_keep_alive_timeout(2);
    http_->set_payload_max_length(64 * 1024);
    http_->new_task_queue = [] { return new TWorkerPool; };

    const std::string where = options_.listen + ":" + std::to_string(options_.port);
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.listen);
        if (port_ <= 0) {
            error = "cannot listen on any port of " + options_.listen;
            return false;
        }
    } else {
        if (!http_->bind_to_port(options_.listen, options_.port)) {
            error = "cannot listen on " + where + " (is it in use?)";
            return false;
        }
        port_ = options_.port;
    }
    // The library listens with a queue of 5 connections; a burst of new
    // ones beyond that waited for the peer's retries, a second or more.
    // Listening again only makes the queue longer.
    listen(listening_, SOMAXCONN);
    if (!options_.quiet || !options_.accessLog.empty()) {
        log_ = std::make_unique<TAccessLog>(options_.accessLog);
        if (!log_->Open(error))
            return false;
    }

    softInfo_ = std::make_unique<TSoftInfoScript>(options_, BaseUrl());
    Reload(firstCatalog_);
    firstCatalog_.reset();
    AddRoutes();
    Route();
    return true;
}

void TPublisherServer::AddRoutes()
{
    auto script = [](auto member) {
        return [member](const TSnapshot& s, const Request& req, Response& res) {
            TQueryString q;
            const auto error = QueryError(q.Parse(TQueryString::OfTarget(req.target)));
            res.set_content(error ? ErrorReply(error->code, error->msg) : (s.*member).Reply(q), kXml);
            res.set_header("Cache-Control", "no-store");
        };
    };
    routes_["/taobao/tb_itemcats.php"] = script(&TSnapshot::itemcats);
    routes_["/taobao/tbk_items.php"] = script(&TSnapshot::tbkItems);
    routes_["/taobao/tb_items.php"] = script(&TSnapshot::tbItems);
    routes_["/taobao/tbk_items_convert.php"] = script(&TSnapshot::convert);

    routes_["/taobao/III/OK/ok_list.php"] = [this](const TSnapshot&, const Request& req, Response& res) {
        res.set_content(softInfo_->Reply(PageQuery(req)), "text/plain; charset=utf-8");
        res.set_header("Cache-Control", "no-store");
    };
    routes_["/taobao/III/count.html"] = [this](const TSnapshot& s, const Request&, Response& res) {
        res.set_content(s.pages.Counter(++visits_), kHtml);
        res.set_header("Cache-Control", "no-store");
    };
    routes_["/taobao/III/pindao.html"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.set_content(s.channelPage, kHtml);
    };
    routes_["/taobao/III/huodong.html"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.set_content(s.activityPage, kHtml);
    };
    routes_["/"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.set_content(s.pages.Index(), kHtml);
    };

    routes_["/click.htm"] = [this](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto id = ParseId(q.Get("id"));
        const auto sid = ParseId(q.Get("sid"));
        if (id && s.Catalog().FindItem(*id))
            res.set_redirect(BaseUrl() + "item.htm?id=" + std::to_string(*id));
        else if (sid && s.Catalog().FindSellerById(*sid))
            res.set_redirect(BaseUrl() + "shop.htm?sid=" + std::to_string(*sid));
        else
            NotFound(res);
    };
    routes_["/item.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const auto id = ParseId(PageQuery(req).Get("id"));
        const auto* item = id ? s.Catalog().FindItem(*id) : nullptr;
        if (!item)
            return NotFound(res);
        res.set_content(s.pages.Item(*item), kHtml);
    };
    routes_["/shop.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto sid = ParseId(q.Get("sid"));
        const auto* seller = sid ? s.Catalog().FindSellerById(*sid) : nullptr;
        if (!seller)
            return NotFound(res);
        res.set_content(s.pages.Shop(*seller, PageNumber(q)), kHtml);
    };
    routes_["/list.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto cid = ParseId(q.Get("cid"));
        const auto* category = cid ? s.Catalog().FindCategory(*cid) : nullptr;
        if (!category)
            return NotFound(res);
        res.set_content(s.pages.Category(*category, PageNumber(q)), kHtml);
    };

    // The update archive and, beside it, its detached signature, streamed
    // from disk on every request (a new archive needs no restart).
    if (!options_.updateArchive.empty()) {
        auto file = [](std::string path, const char* type) {
            return [path = std::move(path), type](const TSnapshot&, const Request&, Response& res) {
                if (!TFileBody::Serve(path, type, res))
                    return NotFound(res);
                res.set_header("Cache-Control", "no-store");
            };
        };
        routes_[softInfo_->ArchivePath()] = file(options_.updateArchive, "application/zip");
        routes_[softInfo_->ArchivePath() + kSignatureSuffix] =
            file(options_.updateArchive + kSignatureSuffix, "text/plain");
    }
}

bool TPublisherServer::Dispatch(const TSnapshot& s, const Request& req, Response& res) const
{
    if (const auto route = routes_.find(req.path); route != routes_.end()) {
        route->second(s, req, res);
        return true;
    }
    const std::string_view path = req.path;
    constexpr std::string_view kRank = "/newrank/";
    constexpr std::string_view kPictures = "/bao/uploaded/";
    if (path.substr(0, kRank.size()) == kRank) {
        const auto svg = TPictureWriter::CreditPicture(path.substr(kRank.size()));
        if (!svg) {
            NotFound(res);
            return true;
        }
        res.set_content(*svg, TPictureWriter::kCreditContentType);
        res.set_header("Cache-Control", "max-age=86400");
        return true;
    }
    if (path.substr(0, kPictures.size()) == kPictures) {
        const auto picture = TPictureWriter::ParsePath(path.substr(kPictures.size()));
        const auto* item = picture ? s.Catalog().FindItem(picture->num_iid) : nullptr;
        if (!item) {
            NotFound(res);
            return true;
        }
        res.set_content(s.pictures.ItemPicture(*item, picture->size),
                        TPictureWriter::kItemContentType);
        res.set_header("Cache-Control", "max-age=86400");
        return true;
    }
    return false;
}

bool TPublisherServer::Answer(Request& req, Response& res) const
{
    if ((req.method != "GET" && req.method != "HEAD") || !Dispatch(*Current(), req, res)) {
        req.ranges.clear(); // the library's own reply (404) is whole
        return false;
    }
    FitRange(req, res);
    return true;
}

void TPublisherServer::Route()
{
    auto& h = *http_;

    h.set_pre_routing_handler([this](const Request& request, Response& res) {
        tRequestStart = Clock::now();
        // The request object is the library's own mutable one.
        auto& req = const_cast<Request&>(request);
        // Compressing replies (the library would pick brotli at its slowest
        // setting) costs far more than it saves.
        req.headers.erase("Accept-Encoding");
        return Answer(req, res) ? httplib::Server::HandlerResponse::Handled
                                : httplib::Server::HandlerResponse::Unhandled;
    });

    // Replies for failures that no handler answered: the platform's error
    // document under the script paths, a small page elsewhere.
    h.set_error_handler(httplib::Server::HandlerWithResponse([this](const Request& req,
                                                                    Response& res) {
        if (!res.body.empty() || res.status == 416)
            return httplib::Server::HandlerResponse::Unhandled;
        if (IsScriptPath(req.path) && res.status != 404) {
            const auto e = TApiError::Invalid(res.status == 414 ? "request too long" : "request");
            res.set_content(ErrorReply(e.code, e.msg), kXml);
        } else {
            res.set_content(Current()->pages.NotFound(), kHtml);
        }
        return httplib::Server::HandlerResponse::Handled;
    }));
    h.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
        const auto e = TApiError::Internal();
        res.status = 500;
        res.set_content(ErrorReply(e.code, e.msg), kXml);
    });

    if (log_)
        h.set_logger([this](const Request& req, const Response& res) { Log(req, res); });
}

void TPublisherServer::Log(const Request& req, const Response& res) const
{
    TAccessEntry e;
    e.time = std::time(nullptr);
    e.client = req.remote_addr;
    if (!req.method.empty())
        e.requestLine = req.method + " " + req.target + " " + req.version;
    e.status = res.status;
    if (req.method != "HEAD") {
        if (res.status == 206 && req.ranges.size() == 1)
            e.bytes = req.ranges.front().second - req.ranges.front().first + 1;
        else
            e.bytes = static_cast<std::int64_t>(BodyLength(res));
    }
    e.referer = req.get_header_value("Referer");
    e.userAgent = req.get_header_value("User-Agent");
    if (tRequestStart) {
        e.micros = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - *tRequestStart)
                       .count();
        tRequestStart.reset();
    }
    if (!res.content_provider_)
        e.apiError = ApiErrorCode(res.body);
    log_->Write(e);
}

void TPublisherServer::Listen() { http_->listen_after_bind(); }

bool TPublisherServer::Start(std::string& error)
{
    if (!Bind(error))
        return false;
    thread_ = std::thread([this] { Listen(); });
    for (int i = 0; i < 5000 && !http_->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void TPublisherServer::Stop()
{
    if (http_)
        http_->stop();
    if (thread_.joinable())
        thread_.join();
}
