#include "requests/TAPIRequestFactoryUnit.h"

#include "app/helpers/TextUtilsUnit.h"

TURIParam URIParam(const QString &Name, const QString &Value)
{
    return {Name, Value};
}

QString IntToParamValue(int Value)
{
    return Value == 0 ? QString() : QString::number(Value);
}

int ParamValueToInt(const QString &Text)
{
    if (Text.isEmpty())
        return 0;
    bool ok = false;
    const int value = Text.toInt(&ok);
    if (!ok)
        throw Exception(QStringLiteral("'%1' is not a valid integer value").arg(Text));
    return value;
}

TURIParamList::TURIParamList(const TURIParams &Params)
{
    for (const TURIParam &param : Params)
        Set(param.Name, param.Value);
}

qsizetype TURIParamList::IndexOf(const QString &Name) const
{
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        const QString &line = FLines[i];
        const qsizetype eq = line.indexOf(u'=');
        if (QStringView(line).left(eq).compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TURIParamList::Get(const QString &Name) const
{
    const qsizetype i = IndexOf(Name);
    return i < 0 ? QString() : FLines[i].mid(FLines[i].indexOf(u'=') + 1);
}

void TURIParamList::Set(const QString &Name, const QString &Value)
{
    const qsizetype i = IndexOf(Name);
    if (Value.isEmpty()) {
        if (i >= 0)
            FLines.removeAt(i);
    } else if (i >= 0) {
        FLines[i] = Name + u'=' + Value;
    } else {
        FLines << Name + u'=' + Value;
    }
}

TAPIRequest::TAPIRequest(QString AAPIURL, QString AMethodName, const TURIParams &Params) :
      FAPIURL(std::move(AAPIURL)), FMethodName(std::move(AMethodName)), FParams(Params)
{
}

TAPIRequest::TAPIRequest(const TCloneable &Source)
{
    if (const auto *request = dynamic_cast<const TAPIRequest *>(&Source)) {
        FAPIURL = request->FAPIURL;
        FMethodName = request->FMethodName;
        FParams = request->FParams;
        FPostsParams = request->FPostsParams;
    }
}

std::unique_ptr<TCloneable> TAPIRequest::Clone() const
{
    return std::make_unique<TAPIRequest>(*this);
}

namespace {

int DefaultPort(const QString &Scheme)
{
    if (Scheme.compare(u"http", Qt::CaseInsensitive) == 0)
        return 80;
    if (Scheme.compare(u"https", Qt::CaseInsensitive) == 0)
        return 443;
    return -1;
}

} // namespace

QString TAPIRequest::ToURL() const
{
    return ComposeURL(FAPIURL + FMethodName, FPostsParams ? QStringList() : FParams.Lines());
}

QString TAPIRequest::ComposeURL(const QString &Address, const QStringList &Params)
{
    QString rest = Address;

    QString fragment;
    const qsizetype hash = rest.indexOf(u'#');
    const bool hasFragment = hash >= 0;
    if (hasFragment) {
        fragment = rest.mid(hash + 1);
        rest.truncate(hash);
    }
    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0)
        rest.truncate(question);

    QString scheme;
    const qsizetype schemeEnd = rest.indexOf(u"://");
    if (schemeEnd >= 0) {
        scheme = rest.left(schemeEnd);
        rest.remove(0, schemeEnd + 3);
    }
    const qsizetype slash = rest.indexOf(u'/');
    QString authority = slash < 0 ? rest : rest.left(slash);
    const QString path = slash < 0 ? QString() : rest.mid(slash);

    // User information is not part of the rendered URL.
    authority.remove(0, authority.lastIndexOf(u'@') + 1);
    QString host = authority;
    QString port;
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon >= 0 && colon > authority.lastIndexOf(u']')) {
        host = authority.left(colon);
        port = authority.mid(colon + 1);
    }

    QString url = scheme.isEmpty() ? host : scheme + QStringLiteral("://") + host;
    if (!port.isEmpty() && port.toInt() != DefaultPort(scheme))
        url += u':' + port;
    url += path;
    const QString query = EncodeURLParams(Params);
    if (!query.isEmpty())
        url += u'?' + query;
    if (hasFragment)
        url += u'#' + fragment;
    return url;
}
