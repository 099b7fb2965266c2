#pragma once

#include "requests/TAPIRequestFactoryUnit.h"

#include <cstdint>
#include <memory>

// An "audio.add" request that carries the track being added, copied through
// the track's own class.
class TAudioAddAPIRequest : public TAPIRequest
{
public:
    TAudioAddAPIRequest(QString AAPIURL, QString AMethodName, const TURIParams &Params, const TCloneable *AAddingTrack);
    explicit TAudioAddAPIRequest(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    const TCloneable *AddingTrack() const { return FAddingTrack.get(); }

private:
    std::unique_ptr<TCloneable> FAddingTrack;
};

// Requests of the VK API host ("/method/") and of the sign-up relay ("/vk/").
// Counts are capped at 300; Boolean values are "-1" and "0".
class TVKAPIRequestFactory : public TAPIRequestFactory
{
public:
    static std::unique_ptr<TAPIRequest> ConstructAudioSearchRequest(const QString &Token, const QString &SearchString,
        int AutoComplete, int Lyrics, int Sort, int Offset, int Count);
    static std::unique_ptr<TAPIRequest> ConstructAudioGetRequest(
        const QString &Token, int OwnerID, int AlbumID, const QString &AudioIDs, bool NeedUser, int Offset, int Count);
    static std::unique_ptr<TAPIRequest> ConstructAudioGetPopularRequest(
        const QString &Token, bool OnlyEng, int GenreID, int Offset, int Count);
    static std::unique_ptr<TAPIRequest> ConstructAudioAddRequest(
        const QString &Token, int AudioID, int OwnerID, int GroupID, const TCloneable *AddingTrack);
    static std::unique_ptr<TAPIRequest> ConstructAudioDeleteRequest(const QString &Token, int AudioID, int OwnerID);
    static std::unique_ptr<TAPIRequest> ConstructUsersGetRequest(
        const QString &UserIDs, const QString &Fields, const QString &NameCase);
    // Sign-up and confirmation carry the password: both post their parameters.
    static std::unique_ptr<TAPIRequest> ConstructAuthSignupRequest(const QString &FirstName, const QString &LastName,
        int ClientID, const QString &Phone, const QString &Password, bool Voice, std::uint8_t Sex, const QString &SID);
    static std::unique_ptr<TAPIRequest> ConstructAuthConfirmRequest(
        int ClientID, const QString &Phone, const QString &Code, const QString &Password);
    static std::unique_ptr<TAPIRequest> ConstructAuthCheckPhoneRequest(const QString &Phone, int ClientID);
};

// The methods that need no access token: those of the sign-up relay.
bool IsMethodOpen(const QString &MethodName);
