#include "vkweb/VKWebTestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringEncoder>

std::string ToWindows1251(const QString &Text)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(Text);
    return bytes.toStdString();
}

TStandin::TStandin()
{
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start(QStringLiteral(MARVANE_STANDIN_PROGRAM),
        {QStringLiteral("--web-port"), QStringLiteral("0"), QStringLiteral("--login-port"), QStringLiteral("0"),
            QStringLiteral("--log"), FDir.filePath(QStringLiteral("requests.log")),
            QStringLiteral("--exit-on-stdin-eof")});
    if (!FProcess.waitForStarted(5000))
        return;
    QString output;
    while (!output.contains(u"ready\n") && FProcess.waitForReadyRead(10000))
        output += QString::fromLatin1(FProcess.readAllStandardOutput());
    const std::pair<const char *, QString *> hosts[]
        = {{"MARVANE_VK_WEB_URL", &FWebURL}, {"MARVANE_VK_LOGIN_URL", &FLoginURL}, {"MARVANE_VK_API_URL", &FAPIURL},
            {"MARVANE_SIGNUP_RELAY_URL", &FRelayURL}, {"MARVANE_LASTFM_URL", &FLastFMURL}};
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
    if (FProcess.state() == QProcess::NotRunning)
        return;
    FProcess.closeWriteChannel();
    if (!FProcess.waitForFinished(5000))
        FProcess.kill();
}

QStringList TStandin::LogLines() const
{
    QFile file(FDir.filePath(QStringLiteral("requests.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
