#include "HttpConnection.h"

#include <algorithm>
#include <cstring>

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

#include "FileBody.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
using boost::system::error_code;

namespace {

// What a closing connection still reads and drops, at most, so that the
// client gets its reply before the connection is reset.
constexpr std::size_t kLingerBytes = 256 * 1024;
constexpr std::chrono::milliseconds kLingerTime{1000};

} // namespace

THttpConnection::THttpConnection(asio::ip::tcp::socket socket, THttpServer& server,
                                 std::unique_ptr<TConnectionCounter::TSlot> slot)
    : stream_(std::move(socket)), server_(server), slot_(std::move(slot)), client_(slot_->Client()),
      buffer_(server.Limits().headBytes)
{
}

THttpConnection::~THttpConnection() = default;

void THttpConnection::Start()
{
    headStart_ = Clock::now();
    Read();
}

void THttpConnection::Read()
{
    const auto& limits = server_.Limits();
    auto deadline = headStart_ + limits.headDeadline;
    if (have_ == 0)
        deadline = std::min(deadline, Clock::now() + limits.idle);
    stream_.expires_at(deadline);
    stream_.async_read_some(asio::buffer(buffer_.data() + have_, buffer_.size() - have_),
                            [self = shared_from_this()](error_code ec, std::size_t n) {
                                if (ec)
                                    return; // closed, reset or out of time: the socket goes with us
                                self->have_ += n;
                                self->Parse();
                            });
}

void THttpConnection::Parse()
{
    req_ = THttpRequest{};
    req_.remoteAddr = client_;
    const auto head = ReadHead(std::string_view(buffer_.data(), have_), server_.Limits(), req_);
    if (head.kind == THeadResult::TKind::NeedMore)
        return Read();
    Answer(head);
}

void THttpConnection::Answer(const THeadResult& head)
{
    refused_ = head.kind == THeadResult::TKind::Failed;
    consumed_ = head.consumed;
    close_ = head.close || refused_ || ++requests_ >= server_.Limits().requestsPerConnection;
    reply_ = THttpReply{};
    if (refused_) {
        reply_.status = head.status;
        req_.ranges.clear();
    }
    answerStart_ = Clock::now();
    stream_.expires_never();
    server_.Compute().Post([self = shared_from_this()] {
        try {
            self->server_.Answer(self->req_, self->reply_);
        } catch (...) {
            self->reply_ = THttpReply{};
            self->reply_.status = 500;
        }
        asio::post(self->stream_.get_executor(), [self] { self->WriteHead(); });
    });
}

void THttpConnection::WriteHead()
{
    const auto& limits = server_.Limits();
    const bool headOnly = req_.method == "HEAD";
    toSend_ = headOnly ? 0 : reply_.SentLength();
    sent_ = 0;
    const std::string keepAlive = "timeout=" + std::to_string(limits.idle.count() / 1000) +
                                  ", max=" + std::to_string(limits.requestsPerConnection);
    head_ = reply_.Head(reply_.SentLength(), headOnly, close_, keepAlive);
    WriteBody();
}

void THttpConnection::WriteBody()
{
    if (head_.empty() && sent_ == toSend_)
        return Finish();
    // The head goes out with the first piece of the body, in one write.
    const std::size_t at = reply_.SentOffset() + sent_;
    const std::size_t n = std::min(kSlice, toSend_ - sent_);
    std::array<asio::const_buffer, 2> pieces{asio::buffer(head_), asio::const_buffer()};
    if (n == 0) {
        // the head alone
    } else if (const auto* file = reply_.File()) {
        slice_.resize(kSlice);
        const ssize_t got = file->Read(at, slice_.data(), n);
        // A file cut short while being sent ends the connection rather
        // than sending a body shorter than announced.
        if (got <= 0)
            return;
        pieces[1] = asio::buffer(slice_.data(), static_cast<std::size_t>(got));
    } else {
        pieces[1] = asio::buffer(reply_.body.data() + at, n);
    }
    stream_.expires_after(server_.Limits().writeDeadline);
    asio::async_write(stream_, pieces, [self = shared_from_this()](error_code ec, std::size_t written) {
        if (ec)
            return;
        self->sent_ += written - self->head_.size();
        self->head_.clear();
        self->WriteBody();
    });
}

void THttpConnection::Finish()
{
    const auto micros =
        refused_ ? -1
                 : std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - answerStart_).count();
    server_.Log(req_, reply_, micros);
    slice_.clear();
    slice_.shrink_to_fit();
    if (close_)
        return Linger();
    // The next request may already be here, behind this one.
    std::memmove(buffer_.data(), buffer_.data() + consumed_, have_ - consumed_);
    have_ -= consumed_;
    reply_ = THttpReply{};
    headStart_ = Clock::now();
    if (have_ > 0)
        Parse();
    else
        Read();
}

void THttpConnection::Linger()
{
    error_code ec;
    if (lingered_ == 0) {
        stream_.socket().shutdown(asio::ip::tcp::socket::shutdown_send, ec);
        stream_.expires_after(kLingerTime);
    }
    if (lingered_ >= kLingerBytes)
        return;
    stream_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](error_code e, std::size_t n) {
        if (e)
            return;
        self->lingered_ += n + 1;
        self->Linger();
    });
}
