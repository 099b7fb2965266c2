#include "vkapi/TVKAPIAuthManagerUnit.h"

#include "vkapi/TVKAPISignupDataUnit.h"

TVKAPIAuthManager::TVKAPIAuthManager(TVKAPIManager &AAPIManager) :
      FAPIManager(AAPIManager), FSignupData(std::make_unique<TVKAPISignupData>(*this))
{
}

TVKAPIAuthManager::~TVKAPIAuthManager() = default;

void TVKAPIAuthManager::Reset()
{
    FSignupData->RequestsDropped();
}
