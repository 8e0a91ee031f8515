#include "PublisherServer.h"

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <utility>

#include "ApiError.h"
#include "ConvertScript.h"
#include "ItemFields.h"
#include "ItemcatsScript.h"
#include "PageWriter.h"
#include "PictureWriter.h"
#include "QueryString.h"
#include "SoftInfoScript.h"
#include "TbItemsScript.h"
#include "TbkItemsScript.h"
#include "Values.h"
#include "XmlWriter.h"

namespace {

using httplib::Request;
using httplib::Response;

constexpr const char* kXml = "text/xml; charset=utf-8";
constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr std::size_t kMaxArchiveBytes = 256u << 20;
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

bool ReadFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxArchiveBytes)
        return false;
    in.seekg(0);
    out.resize(static_cast<std::size_t>(size));
    return static_cast<bool>(in.read(out.data(), size));
}

} // namespace

TPublisherServer::TPublisherServer(const TCatalog& catalog, TServerOptions options)
    : catalog_(catalog), options_(std::move(options)), http_(std::make_unique<httplib::Server>())
{
}

TPublisherServer::~TPublisherServer() { Stop(); }

std::string TPublisherServer::BaseUrl() const
{
    return std::string("http://") + kHost + ":" + std::to_string(port_) + "/";
}

bool TPublisherServer::Bind(std::string& error)
{
    // Only SO_REUSEADDR: the library's default also sets SO_REUSEPORT, which
    // would let a second server share the port instead of failing.
    http_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Headers and body go out in separate writes; without this a kept-alive
    // connection waits for the delayed acknowledgement.
    http_->set_tcp_nodelay(true);
    http_->set_keep_alive_max_count(1000);
    http_->set_keep_alive_timeout(5);
    http_->set_payload_max_length(64 * 1024);
    http_->new_task_queue = [] { return new httplib::ThreadPool(16); };

    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(kHost);
        if (port_ <= 0) {
            error = "cannot listen on any port of 127.0.0.1";
            return false;
        }
    } else {
        if (!http_->bind_to_port(kHost, options_.port)) {
            error = "cannot listen on 127.0.0.1:" + std::to_string(options_.port) +
                    " (is it in use?)";
            return false;
        }
        port_ = options_.port;
    }

    fields_ = std::make_unique<TItemFields>(catalog_, BaseUrl());
    itemcats_ = std::make_unique<TItemcatsScript>(catalog_);
    tbkItems_ = std::make_unique<TTbkItemsScript>(catalog_, *fields_);
    tbItems_ = std::make_unique<TTbItemsScript>(catalog_, *fields_);
    convert_ = std::make_unique<TConvertScript>(catalog_, *fields_);
    softInfo_ = std::make_unique<TSoftInfoScript>(options_, BaseUrl());
    pictures_ = std::make_unique<TPictureWriter>(catalog_);
    pages_ = std::make_unique<TPageWriter>(catalog_, *fields_, options_.pageCaption);
    channelPage_ = pages_->Channels();
    activityPage_ = pages_->Activities();
    Route();
    return true;
}

void TPublisherServer::Route()
{
    auto& h = *http_;

    h.set_pre_routing_handler([](const Request& req, Response&) {
        // Replies travel over loopback: compressing them (the library would
        // pick brotli at its slowest setting) costs far more than it saves.
        // The request object is the library's own mutable one.
        const_cast<Request&>(req).headers.erase("Accept-Encoding");
        return httplib::Server::HandlerResponse::Unhandled;
    });

    auto script = [](auto& s) {
        return [&s](const Request& req, Response& res) {
            TQueryString q;
            const auto error = QueryError(q.Parse(TQueryString::OfTarget(req.target)));
            res.set_content(error ? ErrorReply(error->code, error->msg) : s.Reply(q), kXml);
            res.set_header("Cache-Control", "no-store");
        };
    };
    h.Get("/taobao/tb_itemcats.php", script(*itemcats_));
    h.Get("/taobao/tbk_items.php", script(*tbkItems_));
    h.Get("/taobao/tb_items.php", script(*tbItems_));
    h.Get("/taobao/tbk_items_convert.php", script(*convert_));

    h.Get("/taobao/III/OK/ok_list.php", [this](const Request& req, Response& res) {
        res.set_content(softInfo_->Reply(PageQuery(req)), "text/plain; charset=utf-8");
        res.set_header("Cache-Control", "no-store");
    });
    h.Get("/taobao/III/count.html", [this](const Request&, Response& res) {
        res.set_content(pages_->Counter(++visits_), kHtml);
        res.set_header("Cache-Control", "no-store");
    });
    h.Get("/taobao/III/pindao.html",
          [this](const Request&, Response& res) { res.set_content(channelPage_, kHtml); });
    h.Get("/taobao/III/huodong.html",
          [this](const Request&, Response& res) { res.set_content(activityPage_, kHtml); });
    h.Get("/", [this](const Request&, Response& res) { res.set_content(pages_->Index(), kHtml); });

    h.Get(R"(/newrank/([A-Za-z0-9_.]{1,40}))", [](const Request& req, Response& res) {
        const auto svg = TPictureWriter::CreditPicture(req.matches[1].str());
        if (!svg) {
            res.status = 404;
            return;
        }
        res.set_content(*svg, TPictureWriter::kContentType);
        res.set_header("Cache-Control", "max-age=86400");
    });
    h.Get(R"(/bao/uploaded/i[1-4]/([0-9]{1,18})\.jpg(_sum\.jpg|_160x160\.jpg)?)",
          [this](const Request& req, Response& res) {
              const auto id = ParseId(req.matches[1].str());
              const auto* item = id ? catalog_.FindItem(*id) : nullptr;
              if (!item) {
                  res.status = 404;
                  return;
              }
              const std::string suffix = req.matches[2].str();
              const int size = suffix == "_sum.jpg" ? 80 : suffix.empty() ? 310 : 160;
              res.set_content(pictures_->ItemPicture(*item, size), TPictureWriter::kContentType);
              res.set_header("Cache-Control", "max-age=86400");
          });

    h.Get("/click.htm", [this](const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto id = ParseId(q.Get("id"));
        const auto sid = ParseId(q.Get("sid"));
        if (id && catalog_.FindItem(*id))
            res.set_redirect(BaseUrl() + "item.htm?id=" + std::to_string(*id));
        else if (sid && catalog_.FindSellerById(*sid))
            res.set_redirect(BaseUrl() + "shop.htm?sid=" + std::to_string(*sid));
        else
            res.status = 404;
    });
    h.Get("/item.htm", [this](const Request& req, Response& res) {
        const auto id = ParseId(PageQuery(req).Get("id"));
        const auto* item = id ? catalog_.FindItem(*id) : nullptr;
        if (!item) {
            res.status = 404;
            return;
        }
        res.set_content(pages_->Item(*item), kHtml);
    });
    h.Get("/shop.htm", [this](const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto sid = ParseId(q.Get("sid"));
        const auto* seller = sid ? catalog_.FindSellerById(*sid) : nullptr;
        if (!seller) {
            res.status = 404;
            return;
        }
        res.set_content(pages_->Shop(*seller, PageNumber(q)), kHtml);
    });
    h.Get("/list.htm", [this](const Request& req, Response& res) {
        const TQueryString q = PageQuery(req);
        const auto cid = ParseId(q.Get("cid"));
        const auto* category = cid ? catalog_.FindCategory(*cid) : nullptr;
        if (!category) {
            res.status = 404;
            return;
        }
        res.set_content(pages_->Category(*category, PageNumber(q)), kHtml);
    });

    // The update archive and, beside it, its detached signature.
    h.Get("/update/(.+)", [this](const Request& req, Response& res) {
        const std::string& archivePath = softInfo_->ArchivePath();
        const bool signature = req.path == archivePath + kSignatureSuffix;
        std::string body;
        if ((req.path != archivePath && !signature) || options_.updateArchive.empty() ||
            !ReadFile(options_.updateArchive + (signature ? kSignatureSuffix : ""), body)) {
            res.status = 404;
            return;
        }
        res.set_content(std::move(body), signature ? "text/plain" : "application/zip");
        res.set_header("Cache-Control", "no-store");
    });

    // Replies for failures that no handler answered: the platform's error
    // document under the script paths, a small page elsewhere.
    h.set_error_handler(httplib::Server::HandlerWithResponse([this](const Request& req,
                                                                    Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        if (IsScriptPath(req.path) && res.status != 404) {
            const auto e = TApiError::Invalid(res.status == 414 ? "request too long" : "request");
            res.set_content(ErrorReply(e.code, e.msg), kXml);
        } else {
            res.set_content(pages_->NotFound(), kHtml);
        }
        return httplib::Server::HandlerResponse::Handled;
    }));
    h.set_exception_handler([](const Request&, Response& res, std::exception_ptr) {
        const auto e = TApiError::Internal();
        res.status = 500;
        res.set_content(ErrorReply(e.code, e.msg), kXml);
    });

    if (!options_.quiet) {
        h.set_logger([](const Request& req, const Response& res) {
            std::printf("%s %s %d\n", req.method.c_str(), req.path.c_str(), res.status);
            std::fflush(stdout);
        });
    }
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
