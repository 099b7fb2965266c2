#include "standin/SiteText.h"

#include <httplib.h>

#include <QByteArray>
#include <QDateTime>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringEncoder>

using namespace Qt::StringLiterals;

namespace Standin {

TFields ParseForm(const std::string &Text)
{
    TFields fields;
    const QByteArray text = QByteArray::fromStdString(Text);
    for (const QByteArray &pair : text.split('&')) {
        if (pair.isEmpty())
            continue;
        const qsizetype equals = pair.indexOf('=');
        auto decode = [](QByteArray Part) {
            return QString::fromUtf8(QByteArray::fromPercentEncoding(Part.replace('+', ' ')));
        };
        fields.emplace_back(decode(pair.left(equals < 0 ? pair.size() : equals)),
            equals < 0 ? QString() : decode(pair.mid(equals + 1)));
    }
    return fields;
}

QString Field(const TFields &Fields, const QString &Name)
{
    for (const auto &[name, value] : Fields)
        if (name == Name)
            return value;
    return {};
}

TFields QueryFields(const httplib::Request &Request)
{
    const std::size_t mark = Request.target.find('?');
    return mark == std::string::npos ? TFields() : ParseForm(Request.target.substr(mark + 1));
}

TFields FormFields(const httplib::Request &Request)
{
    const bool isForm = Request.get_header_value("Content-Type").starts_with("application/x-www-form-urlencoded");
    return isForm ? ParseForm(Request.body) : TFields();
}

TFields RequestFields(const httplib::Request &Request)
{
    TFields fields = QueryFields(Request);
    const TFields form = FormFields(Request);
    fields.insert(fields.end(), form.begin(), form.end());
    return fields;
}

std::string ToWindows1251(const QString &Text)
{
    QStringEncoder encoder("windows-1251");
    QByteArray bytes = encoder.encode(Text);
    if (!encoder.hasError())
        return bytes.toStdString();
    // Rare: a character outside the code page. Go code point by code point.
    bytes.clear();
    for (const char32_t point : Text.toUcs4()) {
        QStringEncoder single("windows-1251");
        const QByteArray one = single.encode(QString::fromUcs4(&point, 1));
        bytes += single.hasError() ? QByteArray("&#") + QByteArray::number(uint(point)) + ';' : one;
    }
    return bytes.toStdString();
}

QString RequestCookie(const httplib::Request &Request, const QString &Name)
{
    for (std::size_t i = 0; i < Request.get_header_value_count("Cookie"); ++i)
        for (const QString &pair : QString::fromStdString(Request.get_header_value("Cookie", i)).split(u';')) {
            const QString trimmed = pair.trimmed();
            if (trimmed.startsWith(Name + u'='))
                return trimmed.mid(Name.size() + 1);
        }
    return {};
}

std::string CookieHeader(const QString &Name, const QString &Value, bool Persistent, bool HttpOnly)
{
    QString header = Name + u'=' + Value + u"; Path=/"_s;
    if (Persistent)
        header += u"; Expires="_s
            + QLocale::c().toString(QDateTime::currentDateTimeUtc().addYears(1), u"ddd, dd MMM yyyy hh:mm:ss 'GMT'"_s);
    if (HttpOnly)
        header += u"; HttpOnly"_s;
    return header.toStdString();
}

std::string RemovedCookieHeader(const QString &Name)
{
    return (Name + u"=DELETED; Path=/; Expires=Thu, 01 Jan 1970 00:00:01 GMT"_s).toStdString();
}

QString Page(int UserID, const QString &Title, const QString &Body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head>\n"
                          "<meta http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\" />\n"
                          "<title>%1</title>\n"
                          "<script type=\"text/javascript\">\nvar vk = {\n  id: %2,\n  lang: 0,\n  loaded: false\n};\n"
                          "</script>\n</head>\n<body>\n%3\n</body></html>\n")
        .arg(Title)
        .arg(UserID)
        .arg(Body);
}

QString Frame(const QString &Modules, int Code, const QString &Payload)
{
    return QStringLiteral("<!--18<!>%1<!>0<!>6789<!>%2<!>%3").arg(Modules).arg(Code).arg(Payload);
}

QString RandomToken(int Bytes)
{
    QByteArray bytes(Bytes, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return QString::fromLatin1(bytes.toHex());
}

} // namespace Standin
