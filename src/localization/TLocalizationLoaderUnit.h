#pragma once

#include "localization/TCustomLocalizationManagerUnit.h"

#include <QStringList>

#include <functional>

class QIODevice;

// Reads one localization file.
class IFileParser
{
public:
    virtual ~IFileParser() = default;
    virtual quint32 GetLCID() = 0;
    virtual QString GetDisplayedName() = 0;
    virtual TLocalizationStringArray GetStrings() = 0;
    // The caller owns the result.
    virtual std::unique_ptr<TLocalization> CreateLocalization() = 0;
};

// A parser over the lines of a file: CR LF, CR and LF all end a line.
class TCustomFileParser : public TObject, public IFileParser
{
public:
    // Decodes the whole stream with the named encoding.
    TCustomFileParser(QIODevice &ADataStream, const QByteArray &AEncoding);
    std::unique_ptr<TLocalization> CreateLocalization() override;

protected:
    QStringList FileStrings;
};

// Makes a parser of some class over a stream and an encoding.
using TFileParserClass = std::function<std::unique_ptr<TCustomFileParser>(QIODevice &, const QByteArray &)>;

// Gives the localizations of some store, one by index.
class ILocalizationLoader
{
public:
    virtual ~ILocalizationLoader() = default;
    virtual int GetCount() = 0;
    // The caller owns the result; a malformed file raises.
    virtual std::unique_ptr<TLocalization> GetLocalization(int Index) = 0;
};

class TCustomLocalizationLoader : public TObject, public ILocalizationLoader
{
public:
    TCustomLocalizationLoader(TFileParserClass AFileParserClass, QByteArray AEncoding);
    std::unique_ptr<TLocalization> GetLocalization(int Index) override;

protected:
    // A readable stream with the bytes of localization Index.
    virtual std::unique_ptr<QIODevice> CreateDataStream(int Index) = 0;

private:
    TFileParserClass FFileParserClass;
    QByteArray FEncoding;
};

// The localizations carried as the program's resources of one type: the
// files of the resource folder ":/<type>/", in name order.
class TCustomResourceLocalizationLoader : public TCustomLocalizationLoader
{
public:
    TCustomResourceLocalizationLoader(
        const QString &AResourceTypeName, TFileParserClass AFileParserClass, QByteArray AEncoding);
    int GetCount() override { return int(FResourceNames.size()); }

protected:
    std::unique_ptr<QIODevice> CreateDataStream(int Index) override;

private:
    QStringList FResourceNames;
    QString FResourceTypeName;
};
