#pragma once

#include <QString>

#include <cstdio>
#include <mutex>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace Standin {

// One JSON line per request: method, host role, path, query, form fields,
// status, and the time it was answered (milliseconds since 1970).
class TRequestLog
{
public:
    TRequestLog() = default;
    ~TRequestLog();
    TRequestLog(const TRequestLog &) = delete;
    TRequestLog &operator=(const TRequestLog &) = delete;

    bool Open(const QString &Path);
    void Write(const char *Host, const httplib::Request &Request, const httplib::Response &Response);

private:
    std::mutex FLock;
    std::FILE *FFile = nullptr;
};

} // namespace Standin
