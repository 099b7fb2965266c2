#include "standin/RequestLog.h"

#include "standin/SiteText.h"

#include <httplib.h>

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

// Passwords (the relay's "password", the web sign-in's "pass") and access
// tokens are not written down.
bool IsSecret(const QString &Name)
{
    return Name == u"password" || Name == u"pass" || Name == u"access_token";
}

QJsonObject ToJson(const TFields &Fields)
{
    QJsonObject object;
    for (const auto &[name, value] : Fields)
        object.insert(name, IsSecret(name) ? u"(hidden)"_s : value);
    return object;
}

} // namespace

TRequestLog::~TRequestLog()
{
    if (FFile)
        std::fclose(FFile);
}

bool TRequestLog::Open(const QString &Path)
{
    FFile = std::fopen(QFile::encodeName(Path).constData(), "a");
    return FFile != nullptr;
}

void TRequestLog::Write(const char *Host, const httplib::Request &Request, const httplib::Response &Response)
{
    if (!FFile)
        return;
    const QJsonObject line {{u"method"_s, QString::fromStdString(Request.method)},
        {u"host"_s, QString::fromLatin1(Host)}, {u"path"_s, QString::fromStdString(Request.path)},
        {u"query"_s, ToJson(QueryFields(Request))}, {u"form"_s, ToJson(FormFields(Request))},
        {u"status"_s, Response.status}, {u"time"_s, QDateTime::currentMSecsSinceEpoch()}};
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    std::lock_guard lock(FLock);
    std::fwrite(text.constData(), 1, std::size_t(text.size()), FFile);
    std::fflush(FFile);
}

} // namespace Standin
