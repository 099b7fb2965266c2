#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

// Picks the artist's "large" picture from an artist-information answer.
// ResultCode: 0 found, 2 none or an error document (ErrorMessage holds its
// message), 1 an answer that could not be read.
class TLastFMArtistGetInfoParser : public TThreadedObject
{
public:
    explicit TLastFMArtistGetInfoParser(QString AJSONString) : FJSONString(std::move(AJSONString)) { }

    std::uint8_t ResultCode() const { return FResultCode; }
    const QString &ImageURL() const { return FImageURL; }
    const QString &ErrorMessage() const { return FErrorMessage; }

protected:
    void Execute() override;
    void ExecuteFailed(const QString &Message) override;

private:
    QString FJSONString;
    std::uint8_t FResultCode = 1;
    QString FImageURL;
    QString FErrorMessage;
};

// Finds and downloads one picture of an artist, in the background.
// ResultCode: 0 with the picture's bytes in ImageDataStream, 2 a failure of
// the network, the service or the download, 3 an unexpected error; on any
// failure, and when aborted, there is no stream.
class TLastFMArtistRandomImageGetter : public TThreadedObject
{
public:
    explicit TLastFMArtistRandomImageGetter(QString AArtistName) : FArtistName(std::move(AArtistName)) { }

    const QString &ArtistName() const { return FArtistName; }
    std::uint8_t ResultCode() const { return FResultCode; }
    const QString &ErrorMessage() const { return FErrorMessage; }
    // Null unless a picture was downloaded.
    const QByteArray *ImageDataStream() const { return FImageDataStream.get(); }

protected:
    void Execute() override;
    void ExecuteFailed(const QString &Message) override;

private:
    void Fetch();

    QString FArtistName;
    std::uint8_t FResultCode = 3;
    QString FErrorMessage;
    std::unique_ptr<QByteArray> FImageDataStream;
};
