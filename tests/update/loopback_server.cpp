#include "loopback_server.h"

#include <ws2tcpip.h>

namespace {

bool sendAll(SOCKET s, const char* data, size_t size)
{
    while (size > 0) {
        const int chunk = size > 65536 ? 65536 : static_cast<int>(size);
        const int sent = send(s, data, chunk, 0);
        if (sent <= 0) {
            return false;
        }
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

std::string headerValue(const std::string& head, const std::string& name)
{
    size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (head.compare(at, name.size(), name) == 0 && head.compare(at + name.size(), 1, ":") == 0) {
            size_t start = at + name.size() + 1;
            while (start < head.size() && head[start] == ' ') {
                ++start;
            }
            return head.substr(start, head.find("\r\n", start) - start);
        }
    }
    return std::string();
}

sockaddr_in loopbackAddress(unsigned short port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

}  // namespace

ScriptedAnswer makeAnswer(int status, const std::string& body, bool withLength)
{
    ScriptedAnswer answer;
    answer.head = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Status") + "\r\n";
    if (withLength) {
        answer.head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    answer.head += "Connection: close\r\n";
    answer.body = body;
    return answer;
}

ScriptedAnswer silentAnswer()
{
    ScriptedAnswer answer;
    answer.neverAnswer = true;
    return answer;
}

ScriptedAnswer redirectAnswer(const std::string& location)
{
    ScriptedAnswer answer = makeAnswer(302, "moved");
    answer.head += "Location: " + location + "\r\n";
    return answer;
}

LoopbackServer::LoopbackServer()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return;
    }
    sockaddr_in address = loopbackAddress(0);
    int size = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        closesocket(s);
        return;
    }
    listener_ = s;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer()
{
    SetEvent(stopping_.get());
    if (listener_ != INVALID_SOCKET) {
        // Closing the listening socket makes the blocked accept fail, which ends the thread.
        closesocket(listener_);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::wstring LoopbackServer::url(const std::wstring& pathAndQuery) const
{
    return L"http://127.0.0.1:" + std::to_wstring(port_) + pathAndQuery;
}

void LoopbackServer::answer(const std::string& path, const ScriptedAnswer& scripted)
{
    std::lock_guard<std::mutex> hold(lock_);
    // A later answer for the same path replaces the earlier one.
    for (auto& entry : answers_) {
        if (entry.first == path) {
            entry.second = scripted;
            return;
        }
    }
    answers_.emplace_back(path, scripted);
}

std::vector<SeenRequest> LoopbackServer::requests() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return seen_;
}

bool LoopbackServer::pause(unsigned ms)
{
    return WaitForSingleObject(stopping_.get(), ms) == WAIT_TIMEOUT;
}

void LoopbackServer::serve()
{
    // A connection of its own thread each, so that a silent or trickling answer never holds up
    // the next request.
    std::vector<std::thread> connections;
    for (;;) {
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) {
            break;
        }
        connections.emplace_back([this, client] { handle(client); });
    }
    for (std::thread& connection : connections) {
        connection.join();
    }
}

void LoopbackServer::handle(SOCKET client)
{
    const Socket owner(client);
    // A client that never finishes its request or never closes must not hang the whole test.
    const DWORD timeoutMs = 15000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return;
        }
        head.append(buffer, static_cast<size_t>(got));
    }
    const size_t firstSpace = head.find(' ');
    const size_t secondSpace = head.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos) {
        return;
    }
    SeenRequest request;
    request.target = head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    request.userAgent = headerValue(head, "User-Agent");
    const std::string path = request.target.substr(0, request.target.find('?'));

    ScriptedAnswer scripted = makeAnswer(404, "not here");
    {
        std::lock_guard<std::mutex> hold(lock_);
        seen_.push_back(request);
        for (const auto& entry : answers_) {
            if (entry.first == path) {
                scripted = entry.second;
                break;
            }
        }
    }
    if (scripted.neverAnswer) {
        pause(INFINITE);
        return;
    }
    const std::string start = scripted.head + "\r\n";
    const size_t bodyBytes = scripted.bytesToSend < scripted.body.size() ? scripted.bytesToSend : scripted.body.size();
    if (sendAll(client, start.data(), start.size())) {
        if (scripted.trickleMs == 0) {
            sendAll(client, scripted.body.data(), bodyBytes);
        } else {
            for (size_t i = 0; i < bodyBytes && pause(scripted.trickleMs); ++i) {
                if (!sendAll(client, scripted.body.data() + i, 1)) {
                    return;
                }
            }
        }
    }
    if (scripted.reset) {
        linger abort{};
        abort.l_onoff = 1;
        abort.l_linger = 0;
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        return;
    }
    shutdown(client, SD_SEND);
    // Drain until the client closes so that the data just sent is not discarded by a reset; a
    // client that cancelled may never close, so the wait is short.
    const DWORD drainMs = 2000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&drainMs), sizeof drainMs);
    while (recv(client, buffer, sizeof buffer, 0) > 0) {
    }
}

unsigned short unusedLoopbackPort()
{
    const Socket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = loopbackAddress(0);
    int size = sizeof address;
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(s.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}
