#include "PublisherServer.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <utility>

#include "AccessLog.h"
#include "ApiError.h"
#include "FileBody.h"
#include "HttpReply.h"
#include "HttpRequest.h"
#include "HttpServer.h"
#include "QueryString.h"
#include "RangeHeader.h"
#include "Snapshot.h"
#include "SoftInfoScript.h"
#include "Values.h"
#include "XmlWriter.h"

namespace {

using Request = THttpRequest;
using Response = THttpReply;

constexpr const char* kXml = "text/xml; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kSignatureSuffix = ".minisig";

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

// Keeps a single range the body can satisfy, or answers 416; ranges on
// anything but a whole 200 reply are dropped.
void FitRange(Request& req, Response& res)
{
    if (req.ranges.empty())
        return;
    const auto range = req.ranges.front();
    req.ranges.clear();
    if (res.status != -1 && res.status != 200)
        return;
    const std::size_t length = res.BodyLength();
    if (const auto fitted = ResolveRange(range, length)) {
        req.ranges.push_back(*fitted);
        res.SendRange(static_cast<std::size_t>(fitted->first), static_cast<std::size_t>(fitted->second));
        return;
    }
    res = Response{};
    res.status = 416;
    res.SetHeader("Content-Range", "bytes */" + std::to_string(length));
}

} // namespace

TPublisherServer::TPublisherServer(const TCatalog& catalog, TServerOptions options)
    : TPublisherServer(std::shared_ptr<const TCatalog>(&catalog, [](const TCatalog*) {}),
                       std::move(options))
{
}

TPublisherServer::TPublisherServer(std::shared_ptr<const TCatalog> catalog, TServerOptions options)
    : firstCatalog_(std::move(catalog)), options_(std::move(options))
{
    THttpLimits limits;
    limits.maxConnections = options_.maxConnections;
    limits.maxPerClient = options_.maxPerClient;
    const std::size_t threads =
        options_.threads > 0 ? options_.threads : std::max(1u, std::thread::hardware_concurrency());
    http_ = std::make_unique<THttpServer>(
        limits, threads, [this](Request& req, Response& res) { Answer(req, res); },
        [this](const Request& req, const Response& res, std::int64_t micros) { Log(req, res, micros); });
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
    if (!http_->Bind(options_.listen, options_.port, error))
        return false;
    port_ = http_->Port();
    if (!options_.quiet || !options_.accessLog.empty()) {
        log_ = std::make_unique<TAccessLog>(options_.accessLog);
        if (!log_->Open(error))
            return false;
    }

    softInfo_ = std::make_unique<TSoftInfoScript>(options_, BaseUrl());
    Reload(firstCatalog_);
    firstCatalog_.reset();
    AddRoutes();
    return true;
}

void TPublisherServer::AddRoutes()
{
    auto script = [](auto member) {
        return [member](const TSnapshot& s, const Request& req, Response& res) {
            TQueryString q;
            const auto error = QueryError(q.Parse(TQueryString::OfTarget(req.target)));
            res.SetContent(error ? ErrorReply(error->code, error->msg) : (s.*member).Reply(q), kXml);
            res.SetHeader("Cache-Control", "no-store");
        };
    };
    routes_["/taobao/tb_itemcats.php"] = script(&TSnapshot::itemcats);
    routes_["/taobao/tbk_items.php"] = script(&TSnapshot::tbkItems);
    routes_["/taobao/tb_items.php"] = script(&TSnapshot::tbItems);
    routes_["/taobao/tbk_items_convert.php"] = script(&TSnapshot::convert);

    routes_["/taobao/III/OK/ok_list.php"] = [this](const TSnapshot&, const Request& req, Response& res) {
        res.SetContent(softInfo_->Reply(PageQuery(req)), "text/plain; charset=utf-8");
        res.SetHeader("Cache-Control", "no-store");
    };
    routes_["/taobao/III/count.html"] = [this](const TSnapshot& s, const Request&, Response& res) {
        res.SetContent(s.pages.Counter(++visits_), kHtml);
        res.SetHeader("Cache-Control", "no-store");
    };
    routes_["/taobao/III/pindao.html"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.SetContent(s.channelPage, kHtml);
    };
    routes_["/taobao/III/huodong.html"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.SetContent(s.activityPage, kHtml);
    };
    routes_["/"] = [](const TSnapshot& s, const Request&, Response& res) {
        res.SetContent(s.pages.Index(), kHtml);
    };

    routes_["/click.htm"] = [this](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto id = ParseId(q.Get("id"));
        const auto sid = ParseId(q.Get("sid"));
        if (id && s.Catalog().FindItem(*id))
            res.Redirect(BaseUrl() + "item.htm?id=" + std::to_string(*id));
        else if (sid && s.Catalog().FindSellerById(*sid))
            res.Redirect(BaseUrl() + "shop.htm?sid=" + std::to_string(*sid));
        else
            NotFound(res);
    };
    routes_["/item.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const auto id = ParseId(PageQuery(req).Get("id"));
        const auto* item = id ? s.Catalog().FindItem(*id) : nullptr;
        if (!item)
            return NotFound(res);
        res.SetContent(s.pages.Item(*item), kHtml);
    };
    routes_["/shop.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto sid = ParseId(q.Get("sid"));
        const auto* seller = sid ? s.Catalog().FindSellerById(*sid) : nullptr;
        if (!seller)
            return NotFound(res);
        res.SetContent(s.pages.Shop(*seller, PageNumber(q)), kHtml);
    };
    routes_["/list.htm"] = [](const TSnapshot& s, const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto cid = ParseId(q.Get("cid"));
        const auto* category = cid ? s.Catalog().FindCategory(*cid) : nullptr;
        if (!category)
            return NotFound(res);
        res.SetContent(s.pages.Category(*category, PageNumber(q)), kHtml);
    };

    // The update archive and, beside it, its detached signature, streamed
    // from disk on every request (a new archive needs no restart).
    if (!options_.updateArchive.empty()) {
        auto file = [](std::string path, const char* type) {
            return [path = std::move(path), type](const TSnapshot&, const Request&, Response& res) {
                if (!TFileBody::Serve(path, type, res))
                    return NotFound(res);
                res.SetHeader("Cache-Control", "no-store");
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
        res.SetContent(*svg, TPictureWriter::kCreditContentType);
        res.SetHeader("Cache-Control", "max-age=86400");
        return true;
    }
    if (path.substr(0, kPictures.size()) == kPictures) {
        const auto picture = TPictureWriter::ParsePath(path.substr(kPictures.size()));
        const auto* item = picture ? s.Catalog().FindItem(picture->num_iid) : nullptr;
        if (!item) {
            NotFound(res);
            return true;
        }
        res.SetContent(s.pictures.ItemPicture(*item, picture->size),
                        TPictureWriter::kItemContentType);
        res.SetHeader("Cache-Control", "max-age=86400");
        return true;
    }
    return false;
}

bool TPublisherServer::Route(Request& req, Response& res) const
{
    if ((req.method != "GET" && req.method != "HEAD") || !Dispatch(*Current(), req, res))
        return false;
    req.ranges.clear();
    if (req.HasHeader("Range"))
        ParseRangeHeader(req.Header("Range"), req.ranges); // one that cannot be read is ignored
    FitRange(req, res);
    return true;
}

void TPublisherServer::Answer(Request& req, Response& res) const
{
    try {
        if (res.status < 0 && !Route(req, res)) {
            res = Response{};
            res.status = 404;
        }
        ErrorDocument(req, res);
    } catch (const std::exception&) {
        const auto e = TApiError::Internal();
        res = Response{};
        res.status = 500;
        res.SetContent(ErrorReply(e.code, e.msg), kXml);
    }
}

// Replies for failures without a body of their own: the platform's error
// document under the script paths, a small page elsewhere.
void TPublisherServer::ErrorDocument(const Request& req, Response& res) const
{
    if (res.status < 400 || res.status == 416 || !res.body.empty() || res.HasFile())
        return;
    if (IsScriptPath(req.path) && res.status != 404) {
        const auto e = TApiError::Invalid(res.status == 414 ? "request too long" : "request");
        res.SetContent(ErrorReply(e.code, e.msg), kXml);
    } else {
        res.SetContent(Current()->pages.NotFound(), kHtml);
    }
}

void TPublisherServer::Log(const Request& req, const Response& res, std::int64_t micros) const
{
    if (!log_)
        return;
    TAccessEntry e;
    e.time = std::time(nullptr);
    e.client = req.remoteAddr;
    e.requestLine = req.requestLine;
    e.status = res.status < 0 ? 200 : res.status;
    if (req.method != "HEAD")
        e.bytes = static_cast<std::int64_t>(res.SentLength());
    e.referer = req.Header("Referer");
    e.userAgent = req.Header("User-Agent");
    e.micros = micros;
    if (!res.HasFile())
        e.apiError = ApiErrorCode(res.body);
    log_->Write(e);
}

void TPublisherServer::Listen() { http_->Run(); }

bool TPublisherServer::Start(std::string& error)
{
    if (!Bind(error))
        return false;
    thread_ = std::thread([this] { Listen(); });
    return true;
}

void TPublisherServer::Stop()
{
    http_->Stop();
    if (thread_.joinable())
        thread_.join();
}
