#pragma once

#include "foundation/BaseTypesUnit.h"
#include "foundation/TIDGeneratorUnit.h"

#include <QString>

#include <memory>

class TVKAPIAuthManager;
class TVKAPICaptchaManager;
class TVKAPIRequestManager;

// Operation identifiers of VK API requests.
class TVKOperationIDGenerator : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TVKOperationIDGenerator() = default;
};

// A new identifier from TVKOperationIDGenerator.
std::uint32_t NewVKOperationID();

// The VK API client: its request queue (500 ms between starts), the sign-up
// model and the captcha manager. Nothing supplies access tokens, so a request
// whose token is refused fails. Lives on the interface thread.
class TVKAPIManager : public TObject
{
public:
    explicit TVKAPIManager(const QString &AAPIVersion);
    ~TVKAPIManager() override;
    TVKAPIManager(const TVKAPIManager &) = delete;
    TVKAPIManager &operator=(const TVKAPIManager &) = delete;

    TVKAPIRequestManager &RequestManager() const { return *FRequestManager; }
    TVKAPIAuthManager &AuthManager() const { return *FAuthManager; }
    TVKAPICaptchaManager &CaptchaManager() const { return *FCaptchaManager; }

    // Asks "users.get" for the user's name; 0 asks nothing. On success the
    // name ("First Last") is in UserName and OnUserNameGet is raised; a
    // failure changes nothing.
    void RequestUserName(int ID);
    // Drops every queued request, the captcha asked for and the name.
    void Logout();
    // Stops the queue's worker (at shut-down, before the threaded-objects manager goes).
    void StopThread();

    const QString &UserName() const { return FUserName; }
    TNotifyEvent OnUserNameGet;

private:
    void UserNameReceived(TObject *Sender);

    std::unique_ptr<TVKAPIRequestManager> FRequestManager;
    std::unique_ptr<TVKAPIAuthManager> FAuthManager;
    std::unique_ptr<TVKAPICaptchaManager> FCaptchaManager;
    QString FUserName;
};
