// Requests to the publisher server as the HTTP library hands them over:
// the first line is the request line, further lines are headers (Range,
// Referer, User-Agent count). Every script and route answers from the demo
// catalog; a query holding "sign=auto" is signed for its script first, so
// that mutations reach past the signature check. Each answer must be
// well-formed: a known status, XML replies of the scripts parse, ranges fit
// the body, and the access log line stays one line.
#include <httplib.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "AccessLog.h"
#include "CatalogSeeder.h"
#include "PublisherServer.h"
#include "QueryString.h"
#include "RangeHeader.h"
#include "Request.h"
#include "XmlDoc.h"

namespace {

// A small update archive with its signature, removed at exit.
std::string ArchiveFile()
{
    static const std::string path = "/tmp/pallido-fuzz-archive-" + std::to_string(getpid()) + ".zip";
    std::ofstream(path, std::ios::binary) << "PK\x03\x04" << std::string(3000, 'z');
    std::ofstream(path + ".minisig", std::ios::binary) << "untrusted comment: fuzz\n";
    std::atexit([] {
        std::remove(path.c_str());
        std::remove((path + ".minisig").c_str());
    });
    return path;
}

TPublisherServer& Server()
{
    static const TCatalog catalog(TCatalogSeeder().Generate());
    static TPublisherServer* server = [] {
        TServerOptions options;
        options.port = 0; // bound, never accepting
        options.quiet = true;
        options.publicUrl = "https://shop.example.com/p/";
        options.updateArchive = ArchiveFile();
        auto* s = new TPublisherServer(catalog, options);
        std::string error;
        if (!s->Bind(error))
            __builtin_trap();
        return s;
    }();
    return *server;
}

// The signature input of the script at `path`, in the client's order.
std::string SignInput(std::string_view path, const TQueryString& q)
{
    std::string input;
    auto add = [&](std::initializer_list<const char*> keys) {
        for (const char* k : keys)
            input += q.Get(k);
    };
    if (path == "/taobao/tbk_items.php")
        add({"cid", "area", "sort", "keyword", "page_no", "auto_send", "end_price", "guarantee",
             "end_credit", "start_price", "start_credit", "end_commissionNum", "end_commissionRate",
             "start_commissionNum", "start_commissionRate"});
    else if (path == "/taobao/tb_items.php")
        add({"q", "nicks", "cid", "start_price", "end_price", "page_no", "order_by"});
    else if (path == "/taobao/tb_itemcats.php")
        add({"cids", "parent_cid"});
    else
        add({"num_iids"});
    return input;
}

void SignIfAsked(std::string& target, const std::string& path)
{
    const auto at = target.find("sign=auto");
    if (at == std::string::npos)
        return;
    TQueryString q;
    if (q.Parse(TQueryString::OfTarget(target)) != TQueryString::TStatus::Ok)
        return;
    target.replace(at, 9, "sign=" + MakeSign(q.Get("pid"), q.Get("stamp"), SignInput(path, q)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto lineEnd = input.find('\n');
    std::string line = input.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();

    // The request line as the library splits it: three parts.
    httplib::Request req;
    const auto s1 = line.find(' ');
    const auto s2 = s1 == std::string::npos ? s1 : line.find(' ', s1 + 1);
    if (s2 == std::string::npos || line.find(' ', s2 + 1) != std::string::npos)
        return 0;
    req.method = line.substr(0, s1);
    req.target = line.substr(s1 + 1, s2 - s1 - 1);
    req.version = line.substr(s2 + 1);
    const auto question = req.target.find('?');
    const std::string rawPath = req.target.substr(0, question);
    req.path = httplib::detail::decode_url(rawPath, false);
    SignIfAsked(req.target, req.path);
    if (question != std::string::npos)
        httplib::detail::parse_query_text(req.target.substr(question + 1), req.params);

    std::size_t pos = lineEnd;
    while (pos != std::string::npos && pos + 1 < input.size()) {
        const auto end = input.find('\n', pos + 1);
        const std::string header = input.substr(pos + 1, end == std::string::npos ? end : end - pos - 1);
        pos = end;
        const auto colon = header.find(": ");
        if (colon == std::string::npos)
            break;
        const std::string name = header.substr(0, colon), value = header.substr(colon + 2);
        if (name == "Range") {
            std::vector<TByteRange> ranges;
            if (!ParseRangeHeader(value, ranges))
                return 0; // the library answers 416 itself
            req.ranges.assign(ranges.begin(), ranges.end());
        } else {
            req.set_header(name, value);
        }
    }

    httplib::Response res;
    const bool answered = Server().Answer(req, res);
    // What the library makes of an unset status.
    const int status = res.status != -1 ? res.status : !answered ? 404 : req.ranges.empty() ? 200 : 206;
    if (status != 200 && status != 206 && status != 302 && status != 404 && status != 416)
        __builtin_trap();
    if (!answered && (status != 404 || !res.body.empty()))
        __builtin_trap();
    const std::size_t length = res.content_provider_ ? res.content_length_ : res.body.size();
    if (req.ranges.size() > 1 ||
        (req.ranges.size() == 1 && (req.ranges[0].first < 0 || req.ranges[0].second < req.ranges[0].first ||
                                    static_cast<std::size_t>(req.ranges[0].second) >= length)))
        __builtin_trap();
    if (req.path.rfind("/taobao/", 0) == 0 && req.path.rfind("/taobao/III/", 0) != 0 && answered &&
        status == 200) {
        TXmlDoc doc;
        if (!doc.Load(res.body) || !doc.DocumentElement())
            __builtin_trap();
    }
    TAccessEntry e;
    e.requestLine = line;
    e.userAgent = req.get_header_value("User-Agent");
    e.referer = req.get_header_value("Referer");
    e.status = status;
    if (FormatAccessLine(e).find_first_of("\r\n") != std::string::npos)
        __builtin_trap();
    return 0;
}
