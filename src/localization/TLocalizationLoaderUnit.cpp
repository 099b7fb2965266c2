#include "localization/TLocalizationLoaderUnit.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace {

QStringList SplitLines(const QString &Text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i] != u'\r' && Text[i] != u'\n')
            continue;
        lines << Text.mid(start, i - start);
        if (Text[i] == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < Text.size())
        lines << Text.mid(start);
    return lines;
}

} // namespace

TCustomFileParser::TCustomFileParser(QIODevice &ADataStream, const QByteArray &AEncoding)
{
    QStringDecoder decoder(AEncoding.constData());
    if (!decoder.isValid())
        throw Exception(QStringLiteral("Unknown encoding %1").arg(QString::fromLatin1(AEncoding)));
    FileStrings = SplitLines(decoder(ADataStream.readAll()));
}

std::unique_ptr<TLocalization> TCustomFileParser::CreateLocalization()
{
    QString displayedName = GetDisplayedName();
    const TLocalizationStringArray strings = GetStrings();
    return std::make_unique<TLocalization>(GetLCID(), std::move(displayedName), strings);
}

TCustomLocalizationLoader::TCustomLocalizationLoader(TFileParserClass AFileParserClass, QByteArray AEncoding) :
      FFileParserClass(std::move(AFileParserClass)), FEncoding(std::move(AEncoding))
{
}

std::unique_ptr<TLocalization> TCustomLocalizationLoader::GetLocalization(int Index)
{
    const std::unique_ptr<QIODevice> stream = CreateDataStream(Index);
    return FFileParserClass(*stream, FEncoding)->CreateLocalization();
}

TCustomResourceLocalizationLoader::TCustomResourceLocalizationLoader(
    const QString &AResourceTypeName, TFileParserClass AFileParserClass, QByteArray AEncoding) :
      TCustomLocalizationLoader(std::move(AFileParserClass), std::move(AEncoding)),
      FResourceTypeName(AResourceTypeName)
{
    FResourceNames = QDir(QStringLiteral(":/") + FResourceTypeName).entryList(QDir::Files, QDir::Name);
}

std::unique_ptr<QIODevice> TCustomResourceLocalizationLoader::CreateDataStream(int Index)
{
    auto file = std::make_unique<QFile>(QStringLiteral(":/") + FResourceTypeName + u'/' + FResourceNames.value(Index));
    if (!file->open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Resource %1 not found").arg(FResourceNames.value(Index)));
    return file;
}
