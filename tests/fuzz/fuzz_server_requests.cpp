// Byte streams of a client to the publisher server, read by the server's
// own head reader: the first line is the request line, further lines are
// headers (Range, Referer, User-Agent count), and more requests may follow. Every script and route answers from the demo
// catalog; a query holding "sign=auto" is signed for its script first, so
// that mutations reach past the signature check. Each answer must be
// well-formed: a known status, XML replies of the scripts parse, ranges fit
// the body, and the access log line stays one line.
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
#include "HttpHead.h"
#include "HttpReply.h"
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


// One request of the stream answered as a served one is; traps on a reply
// that is not well-formed.
void AnswerOne(const THeadResult& head, THttpRequest& req)
{
    THttpReply res;
    if (head.kind == THeadResult::TKind::Failed)
        res.status = head.status;
    Server().Answer(req, res);
    const int status = res.status < 0 ? 200 : res.status;
    if (head.kind == THeadResult::TKind::Failed && status != head.status)
        __builtin_trap();
    if (status != 200 && status != 206 && status != 302 && status != 400 && status != 404 && status != 405 &&
        status != 414 && status != 416 && status != 431)
        __builtin_trap();
    if (res.SentOffset() + res.SentLength() > res.BodyLength() || (status == 206) != (req.ranges.size() == 1))
        __builtin_trap();
    if (req.path.rfind("/taobao/", 0) == 0 && req.path.rfind("/taobao/III/", 0) != 0 && status == 200) {
        TXmlDoc doc;
        if (!doc.Load(res.body) || !doc.DocumentElement())
            __builtin_trap();
    }
    TAccessEntry e;
    e.requestLine = req.requestLine;
    e.userAgent = req.Header("User-Agent");
    e.referer = req.Header("Referer");
    e.status = status;
    if (FormatAccessLine(e).find_first_of("\r\n") != std::string::npos)
        __builtin_trap();
}

} // namespace

// The bytes a client sends on one connection: pipelined requests, broken
// heads, bodies. Heads are read one after another as the connection reads
// them, until one is refused (the connection then closes) or the bytes end
// (a head left open is completed once, as a client that waits would).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    // The first request's target is signed when it asks for it.
    const auto lineEnd = input.find('\n');
    const auto s1 = input.find(' ');
    const auto s2 = s1 == std::string::npos ? s1 : input.find(' ', s1 + 1);
    if (s2 != std::string::npos && s2 < lineEnd) {
        std::string target = input.substr(s1 + 1, s2 - s1 - 1);
        SignIfAsked(target, DecodePath(target.substr(0, target.find('?'))));
        input.replace(s1 + 1, s2 - s1 - 1, target);
    }
    const THttpLimits limits;
    std::string_view rest = input;
    bool completed = false;
    for (int requests = 0; requests < 64; ++requests) {
        THttpRequest req;
        req.remoteAddr = "127.0.0.1";
        const auto head = ReadHead(rest, limits, req);
        if (head.kind == THeadResult::TKind::NeedMore) {
            if (completed || rest.empty())
                return 0;
            input.assign(rest);
            input += "\r\n\r\n";
            rest = input;
            completed = true;
            continue;
        }
        AnswerOne(head, req);
        if (head.kind == THeadResult::TKind::Failed)
            return 0;
        if (head.consumed == 0 || head.consumed > rest.size())
            __builtin_trap();
        rest.remove_prefix(head.consumed);
    }
    return 0;
}
