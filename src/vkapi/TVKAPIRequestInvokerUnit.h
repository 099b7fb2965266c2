#pragma once

#include "requests/TAPIRequestInvokerUnit.h"

class TVKAPIResponseParserResult;
class TVKAPIUsersSelectResponseResult;
class TVKAPIAuthSignupResponseParserResult;
class TVKAPIAuthConfirmResponseParserResult;

// Runs a VK API request; on its own it only tells answers from errors
// ("auth.checkPhone"). The descendants read their method's response.
class TVKAPIRequestInvoker : public TAPIRequestInvoker
{
public:
    using TAPIRequestInvoker::TAPIRequestInvoker;
    TVKAPIResponseParserResult *GetAPIResult() const;
    // Ends an invoker that never ran as a failed exchange (code 1) with this
    // message, for a request that cannot be sent at all.
    void Fail(const QString &Message) { ExecuteFailed(Message); }

protected:
    TAPIResponseParserClass GetResponseParserClass() const override;
};

class TVKAPIUsersSelectRequestInvoker : public TVKAPIRequestInvoker
{
public:
    using TVKAPIRequestInvoker::TVKAPIRequestInvoker;
    TVKAPIUsersSelectResponseResult *GetAPIResult() const;

protected:
    TAPIResponseParserClass GetResponseParserClass() const override;
};

// "auth.signup", also when a code is asked for again.
class TVKAPIAuthSignupRequestInvoker : public TVKAPIRequestInvoker
{
public:
    using TVKAPIRequestInvoker::TVKAPIRequestInvoker;
    TVKAPIAuthSignupResponseParserResult *GetAPIResult() const;

protected:
    TAPIResponseParserClass GetResponseParserClass() const override;
};

class TVKAPIAuthConfirmRequestInvoker : public TVKAPIRequestInvoker
{
public:
    using TVKAPIRequestInvoker::TVKAPIRequestInvoker;
    TVKAPIAuthConfirmResponseParserResult *GetAPIResult() const;

protected:
    TAPIResponseParserClass GetResponseParserClass() const override;
};
