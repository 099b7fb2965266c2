#pragma once

#include "foundation/TCloneableUnit.h"

#include <QString>
#include <QStringList>

#include <vector>

struct TURIParam
{
    QString Name; // sent as it is
    QString Value; // percent-encoded when rendered
};

// Parameters in the order they are sent.
using TURIParams = std::vector<TURIParam>;

TURIParam URIParam(const QString &Name, const QString &Value);
// 0 gives the empty string, so that the parameter is left out of the request.
QString IntToParamValue(int Value);
// The empty string gives 0; text that is not a decimal integer raises an Exception.
int ParamValueToInt(const QString &Text);

// Request parameters as "name=value" lines in insertion order. Names are
// compared without regard to case; a parameter with an empty value does not
// exist.
class TURIParamList
{
public:
    TURIParamList() = default;
    // Parameters with an empty value are left out.
    explicit TURIParamList(const TURIParams &Params);

    const QStringList &Lines() const { return FLines; }
    QString Get(const QString &Name) const;
    // Replaces a parameter of that name in place (taking the new spelling of
    // the name) or appends it; an empty Value removes it.
    void Set(const QString &Name, const QString &Value);

private:
    qsizetype IndexOf(const QString &Name) const;

    QStringList FLines;
};

// A call of a web API: base URL, method name and ordered named parameters.
// Parameter names are compared without regard to case; a parameter with an
// empty value does not exist.
class TAPIRequest : public TCloneable
{
public:
    TAPIRequest() = default;
    TAPIRequest(QString AAPIURL, QString AMethodName, const TURIParams &Params);
    // The clone constructor: copies URL, method and parameters only when
    // Source is a request; otherwise the new request stays empty.
    explicit TAPIRequest(const TCloneable &Source);

    std::unique_ptr<TCloneable> Clone() const override;
    // Base URL and method name with the parameters as the query (none when
    // they are posted); a query or default port in the base URL is dropped, a
    // fragment kept.
    virtual QString ToURL() const;

    // A request carrying a secret sends its parameters as the form body of a
    // POST, out of the URL that server and proxy logs keep.
    bool PostsParams() const { return FPostsParams; }
    void SetPostsParams(bool Value) { FPostsParams = Value; }

    const QString &APIURL() const { return FAPIURL; }
    const QString &APIMethodName() const { return FMethodName; }
    // "name=value" lines in insertion order.
    const QStringList &ParamsList() const { return FParams.Lines(); }

    QString getParam(const QString &Name) const { return FParams.Get(Name); }
    void setParam(const QString &Name, const QString &Value) { FParams.Set(Name, Value); }

    // Address with Params ("name=value" lines) as its query, rendered as ToURL does.
    static QString ComposeURL(const QString &Address, const QStringList &Params);

private:
    QString FAPIURL;
    QString FMethodName;
    TURIParamList FParams;
    bool FPostsParams = false;
};

// Base of the per-service request factories, whose static Construct...Request
// functions build requests owned by the caller.
class TAPIRequestFactory
{
};
