#pragma once

#include "foundation/TCloneableUnit.h"
#include "foundation/TThreadedObjectUnit.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// Result codes every parser shares; a concrete parser numbers its own
// failures from 2 on.
enum TAPIResponseParserResultCode : std::uint8_t {
    prOK = 0,
    prParseFailed = 1, // the answer could not be read; ErrorMessage says why
};

// The outcome of parsing one answer. Descendants add fields and copy them in
// their clone constructors.
class TAPIResponseParserResult : public TCloneable
{
public:
    TAPIResponseParserResult() = default;
    explicit TAPIResponseParserResult(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    // A TAPIResponseParserResultCode or a code of the concrete parser.
    std::uint8_t ResultCode = prOK;
    QString ErrorMessage;
    std::uint8_t APIErrorCode = 0;
    QString APIErrorMessage;
};

// Parses an answer text into its result on a thread of its own. A concrete
// parser overrides Execute and, for a result class of its own, CreateResult.
class TAPIResponseParser : public TThreadedObject
{
public:
    explicit TAPIResponseParser(QString JSONString);
    // Created by CreateResult on first use.
    TAPIResponseParserResult &Result();

protected:
    virtual std::unique_ptr<TAPIResponseParserResult> CreateResult() const;
    // A parser that failed without saying so must not report success.
    void ExecuteFailed(const QString &Message) override;
    const QString &JSONString() const { return FJSONString; }

private:
    QString FJSONString;
    std::unique_ptr<TAPIResponseParserResult> FResult;
};

// What a class reference of a parser family does here: makes a parser for a text.
using TAPIResponseParserClass = std::function<std::unique_ptr<TAPIResponseParser>(const QString &JSONString)>;

template<class TParser> TAPIResponseParserClass ParserClass()
{
    return [](const QString &JSONString) { return std::make_unique<TParser>(JSONString); };
}
