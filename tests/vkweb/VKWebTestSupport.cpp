#include "vkweb/VKWebTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>

#include <csignal>

std::string ToWindows1251(const QString &Text)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(Text);
    return bytes.toStdString();
}

TStandin::TStandin(const QStringList &Options)
{
    if (!FProcess.Start(QStringLiteral(MARVANE_STANDIN_PROGRAM),
            QStringList {QStringLiteral("--web-port"), QStringLiteral("0"), QStringLiteral("--login-port"),
                QStringLiteral("0"), QStringLiteral("--log"), FDir.filePath(QStringLiteral("requests.log")),
                QStringLiteral("--exit-on-stdin-eof")}
                + Options))
        return;
    FProcess.WaitFor([this] { return FProcess.Output().contains("ready\n"); }, std::chrono::seconds(10));
    const QString output = QString::fromLatin1(FProcess.Output());
    const std::pair<const char *, QString *> hosts[]
        = {{"MARVANE_VK_WEB_URL", &FWebURL}, {"MARVANE_VK_LOGIN_URL", &FLoginURL}, {"MARVANE_VK_API_URL", &FAPIURL},
            {"MARVANE_SIGNUP_RELAY_URL", &FRelayURL}, {"MARVANE_LASTFM_URL", &FLastFMURL},
            {"MARVANE_UPDATE_URL", &FUpdateURL}};
    for (const auto &[variable, url] : hosts) {
        const QRegularExpression line(
            QStringLiteral("(?m)^%1=(http://127\\.0\\.0\\.1:\\d+)$").arg(QLatin1StringView(variable)));
        *url = line.match(output).captured(1);
        if (url->isEmpty())
            return;
    }
    for (const auto &[variable, url] : hosts)
        FEnvironment.push_back(std::make_unique<TScopedEnvironment>(variable, *url));
}

TStandin::~TStandin()
{
    FEnvironment.clear();
    FProcess.CloseInput(); // --exit-on-stdin-eof
    if (!FProcess.WaitForExit(std::chrono::seconds(5)))
        FProcess.Signal(SIGKILL);
}

QStringList TStandin::LogLines() const
{
    QFile file(FDir.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
