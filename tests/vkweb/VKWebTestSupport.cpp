#include "vkweb/VKWebTestSupport.h"

#include <QStringEncoder>

std::string ToWindows1251(const QString &Text)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(Text);
    return bytes.toStdString();
}
