#pragma once
// A scripted HTTP/1.1 server on 127.0.0.1 for the transfer tests: it answers each request path
// (the query is ignored for the lookup) with a fixed head and body, optionally cut off part-way,
// trickled, redirected or never, and records every request target and user agent it saw. Each
// connection is served on a thread of its own and closed after its answer.

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <winsock2.h>

#include "base/owned.h"
#include "base/win_owners.h"

// A Winsock socket, closed with closesocket.
using Socket = Owned<SOCKET, &closesocket, static_cast<std::intptr_t>(INVALID_SOCKET)>;

struct ScriptedAnswer {
    std::string head;  // status line and headers, each ending in CR LF, without the blank line
    std::string body;
    size_t bytesToSend = std::string::npos;  // body bytes sent before the connection is closed
    bool reset = false;                      // close with a reset (RST) instead of an orderly shutdown
    bool neverAnswer = false;                // read the request, then hold the connection silently
    unsigned trickleMs = 0;                  // send the body one byte at a time with this pause
};

struct SeenRequest {
    std::string target;
    std::string userAgent;
};

// "HTTP/1.1 <status>" with Content-Length (unless omitted) and Connection: close.
ScriptedAnswer makeAnswer(int status, const std::string& body, bool withLength = true);
// A server that accepts the request and never answers it (until the server goes away).
ScriptedAnswer silentAnswer();
// Status 302 to another path of the same server.
ScriptedAnswer redirectAnswer(const std::string& location);

class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool running() const { return listener_ != INVALID_SOCKET; }
    unsigned short port() const { return port_; }
    std::wstring url(const std::wstring& pathAndQuery) const;
    void answer(const std::string& path, const ScriptedAnswer& scripted);
    std::vector<SeenRequest> requests() const;

private:
    void serve();
    void handle(SOCKET client);

    // Sleeps that end early when the server goes away; false then.
    bool pause(unsigned ms);

    SOCKET listener_ = INVALID_SOCKET;
    KernelHandle stopping_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    unsigned short port_ = 0;
    mutable std::mutex lock_;
    std::vector<std::pair<std::string, ScriptedAnswer>> answers_;
    std::vector<SeenRequest> seen_;
    std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on (bound once, then released).
unsigned short unusedLoopbackPort();
