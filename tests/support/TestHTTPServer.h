#pragma once

#include <httplib.h>

#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A request as a test server saw it.
struct TRecordedRequest
{
    std::string Method;
    std::string Target; // path and query
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;

    bool HasHeader(const std::string &Name) const;
    // The first header of that name (without regard to case), or "".
    std::string Header(const std::string &Name) const;
};

// A cpp-httplib server on 127.0.0.1 on a free port, serving on its own
// thread, that records every request. Add routes with Routes() (or Answer)
// before Start(); stopped and joined when destroyed.
class TTestHTTPServer
{
public:
    TTestHTTPServer();
    ~TTestHTTPServer();

    httplib::Server &Routes() { return FServer; }
    // A canned answer to GET and POST on Path.
    void Answer(const std::string &Path, int Status, const std::string &Body, const httplib::Headers &Headers = {},
        const std::string &ContentType = "text/plain");
    void Start();

    int Port() const { return FPort; }
    QString URL(const QString &PathAndQuery = QStringLiteral("/")) const;
    std::vector<TRecordedRequest> Requests() const;

private:
    httplib::Server FServer;
    int FPort = 0;
    std::thread FThread;
    mutable std::mutex FLock;
    std::vector<TRecordedRequest> FRequests;
};

// A server on 127.0.0.1 that answers with exact bytes, for what cpp-httplib
// cannot send: a reason phrase of our own, a stalled or cut body, a body
// ended by closing the connection. Each connection gets its own thread: the
// server reads one request (head and a Content-Length body), hands it to the
// handler, and closes the connection when the handler returns.
class TRawTestServer
{
public:
    class TConnection
    {
    public:
        // False once the peer has gone or the server is stopping.
        bool Send(std::string_view Bytes);
        // Blocks until the peer closes or the server stops: an answer that never comes.
        void Stall();

    private:
        friend class TRawTestServer;
        TConnection(int Socket, const std::atomic<bool> &Stopping) : FSocket(Socket), FStopping(Stopping) { }
        int FSocket;
        const std::atomic<bool> &FStopping;
    };
    using THandler = std::function<void(const TRecordedRequest &Request, TConnection &Connection)>;

    explicit TRawTestServer(THandler Handler);
    ~TRawTestServer();

    int Port() const { return FPort; }
    QString URL(const QString &PathAndQuery = QStringLiteral("/")) const;
    std::vector<TRecordedRequest> Requests() const;

    // A response head: status line with Reason, the headers as given, and a
    // Content-Length unless ContentLength is negative.
    static std::string Head(int Status, const std::string &Reason, long long ContentLength,
        const std::vector<std::string> &HeaderLines = {});

private:
    void AcceptConnections();
    void Serve(int Socket);

    THandler FHandler;
    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStopping {false};
    std::thread FAcceptThread;
    mutable std::mutex FLock;
    std::vector<std::thread> FConnectionThreads;
    std::vector<int> FOpenSockets;
    std::vector<TRecordedRequest> FRequests;
};

// A free loopback port that nothing listens on: connecting to it is refused.
int UnusedLoopbackPort();
