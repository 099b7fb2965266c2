#include "vkapi/TVKAPIRequestFactoryUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "vkweb/VKWebTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString API = QStringLiteral("https://api.test");
const QString Relay = QStringLiteral("http://relay.test:8080");

// A track stand-in of two classes, to see a clone made through its own class.
class TTrack : public TCloneable
{
public:
    explicit TTrack(QString ATitle) : Title(std::move(ATitle)) { }
    std::unique_ptr<TCloneable> Clone() const override { return std::make_unique<TTrack>(*this); }
    QString Title;
};

class TSavedTrack : public TTrack
{
public:
    using TTrack::TTrack;
    std::unique_ptr<TCloneable> Clone() const override { return std::make_unique<TSavedTrack>(*this); }
};

} // namespace

TEST(VKAPIRequests, FactoryBuildsEachMethodWithItsParametersInOrder)
{
    const TScopedEnvironment api("MARVANE_VK_API_URL", API);
    const TScopedEnvironment relay("MARVANE_SIGNUP_RELAY_URL", Relay + u'/');
    using F = TVKAPIRequestFactory;
    const struct
    {
        std::function<std::unique_ptr<TAPIRequest>()> Make;
        const char *URL;
        // The form body of a request that posts its parameters; "" for a GET.
        const char *Body = "";
    } cases[] = {
        {[] { return F::ConstructAudioSearchRequest(QStringLiteral("T"), QStringLiteral("a b"), 1, 0, 2, 0, 1000); },
            "https://api.test/method/"
            "audio.search?access_token=T&q=a%20b&auto_complete=1&lyrics=0&sort=2&offset=0&count=300"},
        // Owner and album 0 are left out; the Boolean is -1 or 0.
        {[] { return F::ConstructAudioGetRequest(QStringLiteral("T"), 0, 0, {}, true, 20, 1000); },
            "https://api.test/method/audio.get?access_token=T&need_user=-1&offset=20&count=300"},
        {[] { return F::ConstructAudioGetRequest(QStringLiteral("T"), -5, 7, QStringLiteral("1,2"), false, 0, 50); },
            "https://api.test/method/"
            "audio.get?access_token=T&owner_id=-5&album_id=7&audio_ids=1,2&need_user=0&offset=0&count=50"},
        {[] { return F::ConstructAudioGetPopularRequest(QStringLiteral("T"), true, 3, 10, 20); },
            "https://api.test/method/audio.getPopular?access_token=T&only_eng=-1&genre_id=3&offset=10&count=20"},
        {[] { return F::ConstructAudioDeleteRequest(QStringLiteral("T"), 0, 9); },
            "https://api.test/method/audio.delete?access_token=T&owner_id=9"},
        // No access token for users.get.
        {[] { return F::ConstructUsersGetRequest(QStringLiteral("1002"), {}, {}); },
            "https://api.test/method/users.get?user_ids=1002"},
        {[] {
             return F::ConstructAuthSignupRequest(QStringLiteral("Анна"), QStringLiteral("S"), 3566047,
                 QStringLiteral("+79990000002"), QStringLiteral("p&ss=1"), true, 1, {});
         },
            "http://relay.test:8080/vk/auth.signup",
            "first_name=%D0%90%D0%BD%D0%BD%D0%B0&last_name=S&client_id=3566047&phone=%2B79990000002&password=p%26ss%3D1"
            "&voice=-1&sex=1"},
        {[] {
             return F::ConstructAuthConfirmRequest(
                 3566047, QStringLiteral("+7"), QStringLiteral("24680"), QStringLiteral("pw"));
         },
            "http://relay.test:8080/vk/auth.confirm", "client_id=3566047&phone=%2B7&code=24680&password=pw"},
        {[] { return F::ConstructAuthCheckPhoneRequest(QStringLiteral("+7"), 3566047); },
            "http://relay.test:8080/vk/auth.checkPhone?client_id=3566047&phone=%2B7"},
    };
    for (const auto &c : cases) {
        const std::unique_ptr<TAPIRequest> request = c.Make();
        EXPECT_EQ(request->ToURL().toStdString(), c.URL);
        // The password once went in the URL's query, which server and proxy logs keep.
        EXPECT_EQ(request->PostsParams(), *c.Body != 0) << c.URL;
        if (request->PostsParams()) {
            EXPECT_EQ(EncodeURLParams(request->ParamsList()).toStdString(), c.Body) << c.URL;
        }
        EXPECT_EQ(CloneOf(*request)->PostsParams(), request->PostsParams()) << c.URL;
    }
}

TEST(VKAPIRequests, AddRequestClonesCarryACopyOfTheTrackOfItsOwnClass)
{
    const TSavedTrack track(QStringLiteral("Song"));
    const std::unique_ptr<TAPIRequest> request
        = TVKAPIRequestFactory::ConstructAudioAddRequest(QStringLiteral("T"), 5, 6, 0, &track);
    const std::unique_ptr<TAPIRequest> clone = CloneOf(*request);

    const auto *cloned = dynamic_cast<const TAudioAddAPIRequest *>(clone.get());
    ASSERT_NE(cloned, nullptr);
    EXPECT_EQ(cloned->ToURL(), request->ToURL());
    const auto *copy = dynamic_cast<const TSavedTrack *>(cloned->AddingTrack());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &track);
    EXPECT_NE(copy, static_cast<const TAudioAddAPIRequest &>(*request).AddingTrack());
    EXPECT_EQ(copy->Title, QStringLiteral("Song"));
}

TEST(VKAPIRequests, OnlyTheRelayMethodsAreOpen)
{
    for (const char *method : {"auth.signup", "auth.confirm", "auth.checkPhone"})
        EXPECT_TRUE(IsMethodOpen(QLatin1String(method))) << method;
    for (const char *method : {"users.get", "audio.get", "auth.Signup", "", "auth"})
        EXPECT_FALSE(IsMethodOpen(QLatin1String(method))) << method;
}
