#include "standin/FileServer.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace Standin {

bool TFileServer::Load(const QString &Folder)
{
    static const QRegularExpression toneName(u"^tone-(\\d+)s\\.mp3$"_s);
    for (const QString &name : QDir(Folder).entryList({u"tone-*s.mp3"_s}, QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = toneName.match(name);
        QFile file(QDir(Folder).filePath(name));
        if (!match.hasMatch() || !file.open(QIODevice::ReadOnly))
            continue;
        FFiles[name.toStdString()] = file.readAll().toStdString();
        FTones.push_back({name, match.captured(1).toInt()});
    }
    std::sort(
        FTones.begin(), FTones.end(), [](const TToneFile &A, const TToneFile &B) { return A.Seconds < B.Seconds; });
    return !FTones.empty();
}

void TFileServer::AddHandlers(httplib::Server &Server) const
{
    Server.Get(R"(/audio/([A-Za-z0-9_.-]+))", [this](const httplib::Request &Request, httplib::Response &Response) {
        const auto found = FFiles.find(Request.matches[1].str());
        if (found == FFiles.end()) {
            Response.status = 404;
            Response.set_content("no such file", "text/plain");
            return;
        }
        // cpp-httplib answers a Range header itself (206 with Content-Range, 416 when unsatisfiable),
        // from the content or from the provider alike.
        Response.set_header("Accept-Ranges", "bytes");
        const bool broken = FDelivery.BrokenTracks.count(Request.get_param_value("extra")) != 0;
        if (FDelivery.BytesPerSecond == 0 && !broken) {
            Response.set_content(found->second, "audio/mpeg");
            return;
        }
        const std::string &file = found->second;
        const std::size_t end = broken ? file.size() / 2 : file.size();
        // A tenth of a second's worth at a time; everything at once when no rate is set.
        const std::size_t step
            = FDelivery.BytesPerSecond == 0 ? file.size() : std::max<std::size_t>(1, FDelivery.BytesPerSecond / 10);
        Response.set_content_provider(file.size(), "audio/mpeg",
            [&file, end, step, paced = FDelivery.BytesPerSecond != 0](
                std::size_t Offset, std::size_t Length, httplib::DataSink &Sink) {
                if (Offset >= end)
                    return false; // the connection closes short of the length
                const std::size_t count = std::min({Length, step, end - Offset});
                if (!Sink.write(file.data() + Offset, count))
                    return false;
                if (paced)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                return true;
            });
    });
}

} // namespace Standin
