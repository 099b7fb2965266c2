#include "vkapi/TVKAPIRequestInvokerUnit.h"

#include "vkapi/TVKAPIAuthConfirmResponseParserUnit.h"
#include "vkapi/TVKAPIAuthSignupResponseParserUnit.h"
#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"

TVKAPIResponseParserResult *TVKAPIRequestInvoker::GetAPIResult() const
{
    return dynamic_cast<TVKAPIResponseParserResult *>(APIResult());
}

TAPIResponseParserClass TVKAPIRequestInvoker::GetResponseParserClass() const
{
    return ParserClass<TVKAPIResponseParser>();
}

TVKAPIUsersSelectResponseResult *TVKAPIUsersSelectRequestInvoker::GetAPIResult() const
{
    return dynamic_cast<TVKAPIUsersSelectResponseResult *>(APIResult());
}

TAPIResponseParserClass TVKAPIUsersSelectRequestInvoker::GetResponseParserClass() const
{
    return ParserClass<TVKAPIUsersSelectResponseParser>();
}

TVKAPIAuthSignupResponseParserResult *TVKAPIAuthSignupRequestInvoker::GetAPIResult() const
{
    return dynamic_cast<TVKAPIAuthSignupResponseParserResult *>(APIResult());
}

TAPIResponseParserClass TVKAPIAuthSignupRequestInvoker::GetResponseParserClass() const
{
    return ParserClass<TVKAPIAuthSignupResponseParser>();
}

TVKAPIAuthConfirmResponseParserResult *TVKAPIAuthConfirmRequestInvoker::GetAPIResult() const
{
    return dynamic_cast<TVKAPIAuthConfirmResponseParserResult *>(APIResult());
}

TAPIResponseParserClass TVKAPIAuthConfirmRequestInvoker::GetResponseParserClass() const
{
    return ParserClass<TVKAPIAuthConfirmResponseParser>();
}
