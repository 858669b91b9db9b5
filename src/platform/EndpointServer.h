#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "platform/EndpointReply.h"
#include "platform/EndpointRequest.h"
#include "platform/Event.h"

namespace marlo::platform {

// The serving loop of a message endpoint (see MessageEndpoint for the contract): every
// connection of a listening socket on one thread, in one poll(). Run() serves until `stop` is
// set, then closes every connection; the listening socket stays the caller's.
class EndpointServer {
  public:
    using Handler = std::function<void(const EndpointRequest&, EndpointReply)>;

    static constexpr const char* kWithdrawn =
        "the program did not take the request in time; it was withdrawn";

    struct Limits {
        size_t maxConnections;
        size_t maxWaitingAnswers;
        uint32_t requestTimeoutMs;
        uint32_t idleTimeoutMs;
        uint32_t withdrawAfterMs;
    };

    EndpointServer(int listenFd, Handler handler, Limits limits);
    ~EndpointServer();
    EndpointServer(const EndpointServer&) = delete;
    EndpointServer& operator=(const EndpointServer&) = delete;

    void Run(Event& stop);

  private:
    struct Waiting {
        EndpointReply reply;
        uint64_t withdrawAtMs;
    };
    struct Connection {
        int fd = -1;
        std::string in;   // bytes of requests not yet whole
        std::string out;  // answers not yet written
        std::deque<Waiting> waiting;
        uint64_t requestStartMs = 0;  // when the request in `in` (or the connection) began
        uint64_t lastActiveMs = 0;    // its last request taken or answer given
        bool hadRequest = false;      // kept after a request: idle, not silent
        bool peerDone = false;        // the peer will send nothing more
        bool closing = false;         // no more requests: answer what waits, then close
        uint64_t drainUntilMs = 0;    // closing: its answers written, input discarded until
    };

    void Accept(uint64_t now);
    // Reads what the peer sent and hands on every request that became whole.
    void Receive(Connection& c, uint64_t now);
    void TakeRequests(Connection& c, uint64_t now);
    // Answers given, withdrawals due and the time-outs of the connection; false when the
    // connection is to be closed now.
    bool Advance(Connection& c, uint64_t now);
    // When the connection's next time-out falls.
    uint64_t DeadlineOf(const Connection& c) const;
    void Send(Connection& c);
    // The poll timeout until the next deadline of any connection (-1: none).
    int NextTimeout(uint64_t now) const;
    static void Answer(Connection& c, const std::string& error);

    int listenFd_;
    Handler handler_;
    Limits limits_;
    std::shared_ptr<Event> answered_;  // set by every reply
    std::list<Connection> connections_;
};

}  // namespace marlo::platform
