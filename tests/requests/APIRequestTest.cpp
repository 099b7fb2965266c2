#include "requests/TAPIRequestFactoryUnit.h"

#include <gtest/gtest.h>

namespace {

const QString Base = QStringLiteral("https://api.example.test/method/");

} // namespace

TEST(APIRequest, RendersURLs)
{
    struct TCase
    {
        QString APIURL, Method;
        TURIParams Params;
        const char *URL;
    } cases[] = {
        {Base, QStringLiteral("audio.search"), {}, "https://api.example.test/method/audio.search"},
        {Base, QStringLiteral("audio.search"),
            {URIParam(QStringLiteral("q"), QStringLiteral("a b&c=d")),
                URIParam(QStringLiteral("count"), IntToParamValue(0)),
                URIParam(QStringLiteral("offset"), IntToParamValue(20)), URIParam(QStringLiteral("empty"), QString())},
            "https://api.example.test/method/audio.search?q=a%20b%26c%3Dd&offset=20"},
        {Base, QStringLiteral("x"), {URIParam(QStringLiteral("q"), QStringLiteral("Пе"))},
            "https://api.example.test/method/x?q=%D0%9F%D0%B5"},
        // Default ports go, others stay; an earlier query is dropped, a fragment kept.
        {QStringLiteral("https://h.test:443/2.0/"), QString(), {URIParam(QStringLiteral("a"), QStringLiteral("1"))},
            "https://h.test/2.0/?a=1"},
        {QStringLiteral("http://h.test:80/p?old=1"), QStringLiteral("#frag"),
            {URIParam(QStringLiteral("a"), QStringLiteral("1"))}, "http://h.test/p?a=1#frag"},
        {QStringLiteral("http://127.0.0.1:8080/vk/"), QStringLiteral("m"), {}, "http://127.0.0.1:8080/vk/m"},
        {QStringLiteral("http://h.test:443/"), QStringLiteral("m"), {}, "http://h.test:443/m"},
    };
    for (const auto &c : cases) {
        TAPIRequest request(c.APIURL, c.Method, c.Params);
        EXPECT_EQ(request.ToURL(), QLatin1String(c.URL)) << c.URL;
    }
}

TEST(APIRequest, ParametersKeepTheirPlaceAndIgnoreCase)
{
    TAPIRequest request(Base, QStringLiteral("m"),
        {URIParam(QStringLiteral("count"), QStringLiteral("1")), URIParam(QStringLiteral("q"), QStringLiteral("x")),
            URIParam(QStringLiteral("COUNT"), QStringLiteral("2"))});
    EXPECT_EQ(request.ParamsList(), QStringList({QStringLiteral("COUNT=2"), QStringLiteral("q=x")}));

    request.setParam(QStringLiteral("Count"), QStringLiteral("5"));
    EXPECT_EQ(request.ParamsList(), QStringList({QStringLiteral("Count=5"), QStringLiteral("q=x")}));
    EXPECT_EQ(request.getParam(QStringLiteral("count")), QStringLiteral("5"));
    EXPECT_EQ(request.getParam(QStringLiteral("absent")), QString());

    request.setParam(QStringLiteral("new"), QStringLiteral("v=w"));
    EXPECT_EQ(request.getParam(QStringLiteral("NEW")), QStringLiteral("v=w"));
    request.setParam(QStringLiteral("q"), QString());
    EXPECT_EQ(request.ToURL(), QStringLiteral("https://api.example.test/method/m?Count=5&new=v%3Dw"));
}

TEST(APIRequest, CloneIsAnIndependentCopyOfItsOwnClass)
{
    class TMarkedRequest : public TAPIRequest
    {
    public:
        using TAPIRequest::TAPIRequest;
        std::unique_ptr<TCloneable> Clone() const override { return std::make_unique<TMarkedRequest>(*this); }
    };
    TMarkedRequest source(Base, QStringLiteral("m"),
        {URIParam(QStringLiteral("b"), QStringLiteral("2")), URIParam(QStringLiteral("a"), QStringLiteral("1"))});
    const TAPIRequest &asBase = source;
    std::unique_ptr<TAPIRequest> copy = CloneOf(asBase);
    EXPECT_NE(dynamic_cast<TMarkedRequest *>(copy.get()), nullptr);
    EXPECT_EQ(copy->ToURL(), source.ToURL());
    EXPECT_EQ(copy->APIMethodName(), QStringLiteral("m"));

    copy->setParam(QStringLiteral("b"), QStringLiteral("3"));
    EXPECT_EQ(source.getParam(QStringLiteral("b")), QStringLiteral("2"));

    // A source of another family leaves the request empty.
    class TOther : public TCloneable
    {
    public:
        std::unique_ptr<TCloneable> Clone() const override { return nullptr; }
    };
    const TAPIRequest empty {TOther()};
    EXPECT_EQ(empty.ToURL(), QString());
}

TEST(APIRequest, IntegerParameterValues)
{
    EXPECT_EQ(IntToParamValue(0), QString());
    EXPECT_EQ(IntToParamValue(-7), QStringLiteral("-7"));
    EXPECT_EQ(ParamValueToInt(QString()), 0);
    EXPECT_EQ(ParamValueToInt(QStringLiteral("42")), 42);
    EXPECT_THROW(ParamValueToInt(QStringLiteral("4x")), Exception);
}
