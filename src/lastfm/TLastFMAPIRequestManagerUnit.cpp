#include "lastfm/TLastFMAPIRequestManagerUnit.h"

TLastFMAPIRequestManager::TLastFMAPIRequestManager(std::uint32_t ARequestsInterval) :
      TAPIRequestManager(ARequestsInterval)
{
    StartThread();
}

TLastFMAPIRequestManager::~TLastFMAPIRequestManager()
{
    StopThread();
}
