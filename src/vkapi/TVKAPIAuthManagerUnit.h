#pragma once

#include "foundation/BaseTypesUnit.h"

#include <memory>

class TVKAPIManager;
class TVKAPISignupData;

// Account sign-up by phone through the VK API manager's queue.
class TVKAPIAuthManager : public TObject
{
public:
    explicit TVKAPIAuthManager(TVKAPIManager &AAPIManager);
    ~TVKAPIAuthManager() override;
    TVKAPIAuthManager(const TVKAPIAuthManager &) = delete;
    TVKAPIAuthManager &operator=(const TVKAPIAuthManager &) = delete;

    TVKAPIManager &APIManager() const { return FAPIManager; }
    TVKAPISignupData &SignupData() const { return *FSignupData; }

    // After the queue was emptied: a sign-up step that was in flight will
    // never answer, so the form is offered again.
    void Reset();

private:
    TVKAPIManager &FAPIManager;
    std::unique_ptr<TVKAPISignupData> FSignupData;
};
