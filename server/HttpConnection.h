#pragma once
// One client connection: reads request heads into a fixed buffer, hands
// each request to the compute pool, and writes its reply in bounded pieces.
// A head has to arrive within the head deadline of the connection's opening
// (or of its previous reply), and its first byte within the idle time.

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <boost/beast/core/tcp_stream.hpp>

#include "HttpHead.h"
#include "HttpServer.h"

class THttpConnection : public std::enable_shared_from_this<THttpConnection> {
public:
    THttpConnection(boost::asio::ip::tcp::socket socket, THttpServer& server,
                    std::unique_ptr<TConnectionCounter::TSlot> slot);
    ~THttpConnection();
    void Start();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kSlice = 16 * 1024;

    void Read();
    void Parse();
    void Answer(const THeadResult& head);
    void WriteHead();
    void WriteBody();
    void Finish();
    // Sends nothing more, reads and drops what the client still sends
    // (bounded), then closes: the reply is not lost to a reset.
    void Linger();

    boost::beast::tcp_stream stream_;
    THttpServer& server_;
    std::unique_ptr<TConnectionCounter::TSlot> slot_;
    std::string client_;
    std::vector<char> buffer_;
    std::size_t have_ = 0;
    Clock::time_point headStart_;
    Clock::time_point answerStart_;
    bool refused_ = false;
    bool close_ = false;
    std::size_t requests_ = 0;
    std::size_t consumed_ = 0;
    THttpRequest req_;
    THttpReply reply_;
    std::string head_;
    std::size_t sent_ = 0;  // body bytes written
    std::size_t toSend_ = 0;
    std::vector<char> slice_; // file pieces
    std::size_t lingered_ = 0;
};
