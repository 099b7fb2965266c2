#include "support/TestHTTPServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

bool SameName(const std::string &A, const std::string &B)
{
    return A.size() == B.size()
        && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

QString LoopbackURL(int Port, const QString &PathAndQuery)
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(Port).arg(PathAndQuery);
}

// A listening socket on 127.0.0.1 with a port of the system's choice.
int ListenOnLoopback(int &Port)
{
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0
        || listen(listener, 64) != 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    Port = ntohs(address.sin_port);
    return listener;
}

// Waits up to 50 ms for Socket to become readable.
bool Readable(int Socket)
{
    pollfd fd {Socket, POLLIN, 0};
    return poll(&fd, 1, 50) > 0;
}

} // namespace

bool TRecordedRequest::HasHeader(const std::string &Name) const
{
    return std::any_of(
        Headers.begin(), Headers.end(), [&](const auto &header) { return SameName(header.first, Name); });
}

std::string TRecordedRequest::Header(const std::string &Name) const
{
    for (const auto &[name, value] : Headers)
        if (SameName(name, Name))
            return value;
    return {};
}

TTestHTTPServer::TTestHTTPServer()
{
    // Runs before the answer is sent, once the body has been read.
    FServer.set_post_routing_handler([this](const httplib::Request &request, httplib::Response &) {
        TRecordedRequest recorded {request.method, request.target, {}, request.body};
        for (const auto &header : request.headers)
            recorded.Headers.push_back(header);
        std::lock_guard guard(FLock);
        FRequests.push_back(std::move(recorded));
    });
}

TTestHTTPServer::~TTestHTTPServer()
{
    FServer.stop();
    if (FThread.joinable())
        FThread.join();
}

void TTestHTTPServer::Answer(const std::string &Path, int Status, const std::string &Body,
    const httplib::Headers &Headers, const std::string &ContentType)
{
    auto handler = [=](const httplib::Request &, httplib::Response &response) {
        response.status = Status;
        for (const auto &header : Headers)
            response.headers.insert(header);
        response.set_content(Body, ContentType.c_str());
    };
    FServer.Get(Path, handler);
    FServer.Post(Path, handler);
}

void TTestHTTPServer::Start()
{
    FPort = FServer.bind_to_any_port("127.0.0.1");
    if (FPort <= 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    FThread = std::thread([this] { FServer.listen_after_bind(); });
}

QString TTestHTTPServer::URL(const QString &PathAndQuery) const
{
    return LoopbackURL(FPort, PathAndQuery);
}

std::vector<TRecordedRequest> TTestHTTPServer::Requests() const
{
    std::lock_guard guard(FLock);
    return FRequests;
}

TRawTestServer::TRawTestServer(THandler Handler) : FHandler(std::move(Handler))
{
    FListener = ListenOnLoopback(FPort);
    FAcceptThread = std::thread([this] { AcceptConnections(); });
}

TRawTestServer::~TRawTestServer()
{
    FStopping = true;
    FAcceptThread.join();
    close(FListener);
    {
        // Wakes handlers blocked in a send to a client that does not read.
        std::lock_guard guard(FLock);
        for (const int socket : FOpenSockets)
            shutdown(socket, SHUT_RDWR);
    }
    for (auto &thread : FConnectionThreads)
        thread.join();
}

QString TRawTestServer::URL(const QString &PathAndQuery) const
{
    return LoopbackURL(FPort, PathAndQuery);
}

std::vector<TRecordedRequest> TRawTestServer::Requests() const
{
    std::lock_guard guard(FLock);
    return FRequests;
}

std::string TRawTestServer::Head(
    int Status, const std::string &Reason, long long ContentLength, const std::vector<std::string> &HeaderLines)
{
    std::string head = "HTTP/1.1 " + std::to_string(Status) + (Reason.empty() ? "" : " " + Reason) + "\r\n";
    for (const auto &line : HeaderLines)
        head += line + "\r\n";
    if (ContentLength >= 0)
        head += "Content-Length: " + std::to_string(ContentLength) + "\r\n";
    return head + "Connection: close\r\n\r\n";
}

void TRawTestServer::AcceptConnections()
{
    while (!FStopping) {
        if (!Readable(FListener))
            continue;
        const int socket = accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        std::lock_guard guard(FLock);
        FOpenSockets.push_back(socket);
        FConnectionThreads.emplace_back([this, socket] { Serve(socket); });
    }
}

void TRawTestServer::Serve(int Socket)
{
    std::string data;
    std::size_t headEnd = std::string::npos;
    char buffer[16384];
    auto receive = [&] {
        while (!FStopping && !Readable(Socket)) { }
        const ssize_t count = FStopping ? -1 : recv(Socket, buffer, sizeof(buffer), 0);
        if (count > 0)
            data.append(buffer, std::size_t(count));
        return count > 0;
    };
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos)
        if (!receive())
            break;

    if (headEnd != std::string::npos) {
        TRecordedRequest request;
        const std::string head = data.substr(0, headEnd);
        std::size_t lineEnd = head.find("\r\n");
        const std::string requestLine = head.substr(0, lineEnd);
        const std::size_t space = requestLine.find(' ');
        request.Method = requestLine.substr(0, space);
        request.Target = requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1);
        while (lineEnd != std::string::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string line
                = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.Headers.emplace_back(line.substr(0, colon), value);
        }
        const std::size_t bodyLength = std::strtoull(request.Header("Content-Length").c_str(), nullptr, 10);
        while (data.size() - (headEnd + 4) < bodyLength)
            if (!receive())
                break;
        request.Body = data.substr(headEnd + 4);
        {
            std::lock_guard guard(FLock);
            FRequests.push_back(request);
        }
        TConnection connection(Socket, FStopping);
        FHandler(request, connection);
    }
    {
        std::lock_guard guard(FLock);
        std::erase(FOpenSockets, Socket);
    }
    shutdown(Socket, SHUT_WR);
    close(Socket);
}

bool TRawTestServer::TConnection::Send(std::string_view Bytes)
{
    while (!Bytes.empty()) {
        if (FStopping)
            return false;
        const ssize_t sent = send(FSocket, Bytes.data(), Bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        Bytes.remove_prefix(std::size_t(sent));
    }
    return true;
}

void TRawTestServer::TConnection::Stall()
{
    char buffer[4096];
    while (!FStopping) {
        // Whatever else the peer sends is dropped; its closing ends the stall.
        if (Readable(FSocket) && recv(FSocket, buffer, sizeof(buffer), 0) <= 0)
            return;
    }
}

int UnusedLoopbackPort()
{
    int port = 0;
    close(ListenOnLoopback(port));
    return port;
}
