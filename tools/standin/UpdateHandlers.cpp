#include "standin/UpdateHandlers.h"

#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

// The program's version with its minor number one up.
QString NewerThan(const QString &ProgramVersion)
{
    QStringList parts = ProgramVersion.split(u'.');
    while (parts.size() < 4)
        parts << u"0"_s;
    return u"%1.%2.0.0"_s.arg(parts[0]).arg(parts[1].toInt() + 1);
}

std::string UpdateFile(const QString &Version)
{
    const QStringList lines {Version, u"https://update.marvaneplayer.test/download/marvane-player.deb"_s,
        u"Artist pages with pictures, biographies and top tracks"_s,
        u"  Album pages list every track and play it from VK  "_s, u"Faster start — the window opens at once"_s,
        u"Media keys and the desktop's media applet drive the player"_s, QString(),
        u"(after the empty line: not a feature)"_s};
    return lines.join(u"\r\n"_s).toUtf8().toStdString();
}

} // namespace

std::optional<TUpdateAnswer> ParseUpdateAnswer(const QString &Text)
{
    if (Text == u"newer")
        return TUpdateAnswer {TUpdateAnswer::Newer, {}};
    if (Text == u"equal")
        return TUpdateAnswer {TUpdateAnswer::Equal, {}};
    if (Text == u"garbage")
        return TUpdateAnswer {TUpdateAnswer::Garbage, {}};
    if (Text == u"none")
        return TUpdateAnswer {TUpdateAnswer::None, {}};
    static const QRegularExpression version(u"^\\d+\\.\\d+\\.\\d+\\.\\d+$"_s);
    if (version.match(Text).hasMatch())
        return TUpdateAnswer {TUpdateAnswer::Version, Text};
    return std::nullopt;
}

void AddUpdateHandlers(httplib::Server &Server, const TUpdateAnswer &Answer, const QString &ProgramVersion)
{
    // "/equal/updates/30.txt" and the like answer as that option would, so one
    // stand-in serves every answer to a player pointed at the prefix.
    Server.Get(R"((/[a-z0-9.]+)?/updates/30\.txt)",
        [Answer, ProgramVersion](const httplib::Request &Request, httplib::Response &Response) {
            TUpdateAnswer answer = Answer;
            if (Request.matches[1].matched) {
                const std::optional<TUpdateAnswer> prefixed
                    = ParseUpdateAnswer(QString::fromStdString(Request.matches[1].str().substr(1)));
                if (!prefixed) {
                    Response.status = 404;
                    return;
                }
                answer = *prefixed;
            }
            switch (answer.Kind) {
            case TUpdateAnswer::Newer:
                Response.set_content(UpdateFile(NewerThan(ProgramVersion)), "text/plain; charset=utf-8");
                return;
            case TUpdateAnswer::Equal:
                Response.set_content(UpdateFile(ProgramVersion), "text/plain; charset=utf-8");
                return;
            case TUpdateAnswer::Version:
                Response.set_content(UpdateFile(answer.OfferedVersion), "text/plain; charset=utf-8");
                return;
            case TUpdateAnswer::Garbage:
                // A captive portal: every address answers 200 with its sign-in page.
                Response.set_content(
                    "<!DOCTYPE html>\r\n<html><head><title>Hotel Wi-Fi</title></head>"
                    "<body><form action=\"/login\">Room number <input name=\"room\"></form></body></html>",
                    "text/html");
                return;
            case TUpdateAnswer::None:
                Response.status = 404;
                Response.set_content("Not Found", "text/plain");
                return;
            }
        });
    Server.Get(R"((/[a-z0-9.]+)?/download/)", [](const httplib::Request &, httplib::Response &Response) {
        Response.set_content(
            "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Marvane Player</title></head>"
            "<body><h1>Marvane Player</h1><p><a href=\"marvane-player.deb\">marvane-player.deb</a></p>"
            "</body></html>",
            "text/html; charset=utf-8");
    });
}

} // namespace Standin
