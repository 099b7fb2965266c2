#include "vkapi/TVKAPIRequestFactoryUnit.h"

#include "app/helpers/RemoteHostsUnit.h"

#include <algorithm>

namespace {

constexpr int CMaxCount = 300;

QString APIURL()
{
    return GetVKAPIURL() + QStringLiteral("/method/");
}

QString RelayURL()
{
    return GetSignupRelayURL() + QStringLiteral("/vk/");
}

QString BoolToParamValue(bool Value)
{
    return Value ? QStringLiteral("-1") : QStringLiteral("0");
}

QString CountParamValue(int Count)
{
    return QString::number(std::min(Count, CMaxCount));
}

} // namespace

TAudioAddAPIRequest::TAudioAddAPIRequest(
    QString AAPIURL, QString AMethodName, const TURIParams &Params, const TCloneable *AAddingTrack) :
      TAPIRequest(std::move(AAPIURL), std::move(AMethodName), Params),
      FAddingTrack(AAddingTrack ? AAddingTrack->Clone() : nullptr)
{
}

TAudioAddAPIRequest::TAudioAddAPIRequest(const TCloneable &Source) : TAPIRequest(Source)
{
    if (const auto *source = dynamic_cast<const TAudioAddAPIRequest *>(&Source); source && source->FAddingTrack)
        FAddingTrack = source->FAddingTrack->Clone();
}

std::unique_ptr<TCloneable> TAudioAddAPIRequest::Clone() const
{
    return std::make_unique<TAudioAddAPIRequest>(*static_cast<const TCloneable *>(this));
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAudioSearchRequest(
    const QString &Token, const QString &SearchString, int AutoComplete, int Lyrics, int Sort, int Offset, int Count)
{
    return std::make_unique<TAPIRequest>(APIURL(), QStringLiteral("audio.search"),
        TURIParams {URIParam(QStringLiteral("access_token"), Token), URIParam(QStringLiteral("q"), SearchString),
            URIParam(QStringLiteral("auto_complete"), QString::number(AutoComplete)),
            URIParam(QStringLiteral("lyrics"), QString::number(Lyrics)),
            URIParam(QStringLiteral("sort"), QString::number(Sort)),
            URIParam(QStringLiteral("offset"), QString::number(Offset)),
            URIParam(QStringLiteral("count"), CountParamValue(Count))});
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAudioGetRequest(
    const QString &Token, int OwnerID, int AlbumID, const QString &AudioIDs, bool NeedUser, int Offset, int Count)
{
    return std::make_unique<TAPIRequest>(APIURL(), QStringLiteral("audio.get"),
        TURIParams {URIParam(QStringLiteral("access_token"), Token),
            URIParam(QStringLiteral("owner_id"), IntToParamValue(OwnerID)),
            URIParam(QStringLiteral("album_id"), IntToParamValue(AlbumID)),
            URIParam(QStringLiteral("audio_ids"), AudioIDs),
            URIParam(QStringLiteral("need_user"), BoolToParamValue(NeedUser)),
            URIParam(QStringLiteral("offset"), QString::number(Offset)),
            URIParam(QStringLiteral("count"), CountParamValue(Count))});
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAudioGetPopularRequest(
    const QString &Token, bool OnlyEng, int GenreID, int Offset, int Count)
{
    return std::make_unique<TAPIRequest>(APIURL(), QStringLiteral("audio.getPopular"),
        TURIParams {URIParam(QStringLiteral("access_token"), Token),
            URIParam(QStringLiteral("only_eng"), BoolToParamValue(OnlyEng)),
            URIParam(QStringLiteral("genre_id"), QString::number(GenreID)),
            URIParam(QStringLiteral("offset"), QString::number(Offset)),
            URIParam(QStringLiteral("count"), CountParamValue(Count))});
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAudioAddRequest(
    const QString &Token, int AudioID, int OwnerID, int GroupID, const TCloneable *AddingTrack)
{
    return std::make_unique<TAudioAddAPIRequest>(APIURL(), QStringLiteral("audio.add"),
        TURIParams {URIParam(QStringLiteral("access_token"), Token),
            URIParam(QStringLiteral("audio_id"), IntToParamValue(AudioID)),
            URIParam(QStringLiteral("owner_id"), IntToParamValue(OwnerID)),
            URIParam(QStringLiteral("group_id"), IntToParamValue(GroupID))},
        AddingTrack);
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAudioDeleteRequest(
    const QString &Token, int AudioID, int OwnerID)
{
    return std::make_unique<TAPIRequest>(APIURL(), QStringLiteral("audio.delete"),
        TURIParams {URIParam(QStringLiteral("access_token"), Token),
            URIParam(QStringLiteral("audio_id"), IntToParamValue(AudioID)),
            URIParam(QStringLiteral("owner_id"), IntToParamValue(OwnerID))});
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructUsersGetRequest(
    const QString &UserIDs, const QString &Fields, const QString &NameCase)
{
    return std::make_unique<TAPIRequest>(APIURL(), QStringLiteral("users.get"),
        TURIParams {URIParam(QStringLiteral("user_ids"), UserIDs), URIParam(QStringLiteral("fields"), Fields),
            URIParam(QStringLiteral("name_case"), NameCase)});
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAuthSignupRequest(const QString &FirstName,
    const QString &LastName, int ClientID, const QString &Phone, const QString &Password, bool Voice, std::uint8_t Sex,
    const QString &SID)
{
    auto request = std::make_unique<TAPIRequest>(RelayURL(), QStringLiteral("auth.signup"),
        TURIParams {URIParam(QStringLiteral("first_name"), FirstName), URIParam(QStringLiteral("last_name"), LastName),
            URIParam(QStringLiteral("client_id"), QString::number(ClientID)), URIParam(QStringLiteral("phone"), Phone),
            URIParam(QStringLiteral("password"), Password), URIParam(QStringLiteral("voice"), BoolToParamValue(Voice)),
            URIParam(QStringLiteral("sex"), QString::number(Sex)), URIParam(QStringLiteral("sid"), SID)});
    request->SetPostsParams(true);
    return request;
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAuthConfirmRequest(
    int ClientID, const QString &Phone, const QString &Code, const QString &Password)
{
    auto request = std::make_unique<TAPIRequest>(RelayURL(), QStringLiteral("auth.confirm"),
        TURIParams {URIParam(QStringLiteral("client_id"), QString::number(ClientID)),
            URIParam(QStringLiteral("phone"), Phone), URIParam(QStringLiteral("code"), Code),
            URIParam(QStringLiteral("password"), Password)});
    request->SetPostsParams(true);
    return request;
}

std::unique_ptr<TAPIRequest> TVKAPIRequestFactory::ConstructAuthCheckPhoneRequest(const QString &Phone, int ClientID)
{
    return std::make_unique<TAPIRequest>(RelayURL(), QStringLiteral("auth.checkPhone"),
        TURIParams {URIParam(QStringLiteral("client_id"), QString::number(ClientID)),
            URIParam(QStringLiteral("phone"), Phone)});
}

bool IsMethodOpen(const QString &MethodName)
{
    return MethodName == u"auth.signup" || MethodName == u"auth.confirm" || MethodName == u"auth.checkPhone";
}
