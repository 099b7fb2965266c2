#include "standin/FileServer.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

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
        // cpp-httplib answers a Range header itself (206 with Content-Range, 416 when unsatisfiable).
        Response.set_header("Accept-Ranges", "bytes");
        Response.set_content(found->second, "audio/mpeg");
    });
}

} // namespace Standin
