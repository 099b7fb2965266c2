#include "vkweb/TJSONReaderUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace {

bool ReaderAccepts(const QString &Text)
{
    try {
        TJSONReader reader(Text);
        reader.SkipValue();
        reader.End();
        return true;
    } catch (const Exception &) {
        return false;
    }
}

// The reader's reading as a tree: numbers as the callers convert them,
// members in order (a later one of the same name replaces an earlier one).
// The reader only skips literals, so they all read as null.
QJsonValue ReadTree(TJSONReader &Reader)
{
    switch (Reader.Peek()) {
    case TJSONReader::TKind::Object: {
        QJsonObject object;
        Reader.ReadObject([&](const QString &Name) { object.insert(Name, ReadTree(Reader)); });
        return object;
    }
    case TJSONReader::TKind::Array: {
        QJsonArray array;
        Reader.ReadArray([&](qsizetype) { array.append(ReadTree(Reader)); });
        return array;
    }
    case TJSONReader::TKind::String:
        return Reader.ReadString();
    case TJSONReader::TKind::Number:
        return Reader.ReadNumber().toDouble();
    case TJSONReader::TKind::Literal:
        Reader.SkipValue();
        return QJsonValue::Null;
    }
    return {};
}

// One text for equal readings: strings by their UTF-16 units, numbers as
// doubles (0 and -0 alike), literals only as literals, members by name.
QString Canonical(const QJsonValue &Value)
{
    const auto quoted = [](const QString &Text) {
        return u'"'
            + QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(Text.utf16()), Text.size() * 2).toHex())
            + u'"';
    };
    switch (Value.type()) {
    case QJsonValue::Object: {
        // By name as read: Qt's parser orders a name that opens with a byte
        // order mark by the name with it.
        const QJsonObject object = Value.toObject();
        QStringList members;
        for (auto member = object.begin(); member != object.end(); ++member)
            members << quoted(member.key()) + u':' + Canonical(member.value());
        members.sort();
        return u'{' + members.join(u',') + u'}';
    }
    case QJsonValue::Array: {
        QString text = QStringLiteral("[");
        for (const QJsonValue &element : Value.toArray())
            text += Canonical(element) + u',';
        return text + u']';
    }
    case QJsonValue::String:
        return quoted(Value.toString());
    case QJsonValue::Double: {
        const double number = Value.toDouble();
        return QString::number(number == 0 ? 0.0 : number, 'g', 17);
    }
    default:
        return QStringLiteral("literal");
    }
}

// What the callers get from the reader, or nothing when it refuses; they
// always ask for an object or an array first, as Qt's parser wants.
std::optional<QString> ReaderReading(const QString &Text)
{
    try {
        TJSONReader reader(Text);
        const TJSONReader::TKind kind = reader.Peek();
        if (kind != TJSONReader::TKind::Object && kind != TJSONReader::TKind::Array)
            return std::nullopt;
        const QJsonValue value = ReadTree(reader);
        reader.End();
        return Canonical(value);
    } catch (const Exception &) {
        return std::nullopt;
    }
}

// What Qt's parser makes of the same text in UTF-8.
std::optional<QString> QtReading(const QString &Text)
{
    const QJsonDocument document = QJsonDocument::fromJson(Text.toUtf8());
    if (document.isNull())
        return std::nullopt;
    return Canonical(document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()));
}

void ExpectSameReading(const QString &Text)
{
    const std::optional<QString> expected = QtReading(Text);
    const std::optional<QString> read = ReaderReading(Text);
    EXPECT_EQ(read.has_value(), expected.has_value()) << "accepted: " << Text.left(200).toStdString();
    if (read && expected) {
        EXPECT_EQ(*read, *expected) << Text.left(200).toStdString();
    }
}

QString Nested(int Depth, bool Objects)
{
    QString text;
    for (int i = 0; i < Depth; ++i)
        text += Objects && i % 2 ? QStringLiteral("{\"k\":") : QStringLiteral("[");
    text += u'1';
    for (int i = Depth - 1; i >= 0; --i)
        text += Objects && i % 2 ? u'}' : u']';
    return text;
}

// Small changes to valid documents, made of whole characters: a token put
// in, a run taken out or repeated, a character replaced.
QString Mutated(const std::u32string &Seed, std::mt19937 &Random)
{
    static const std::u32string Tokens[]
        = {U"[", U"]", U"{", U"}", U"\"", U"\\", U",", U":", U".", U"e", U"E", U"-", U"+", U"0", U"9", U" ", U"\t",
            U"\n", U"\u00e9", U"\u0416", U"\U0001F3B5", U"\uFEFF", U"\u0001", U"\u007f", U"u", U"x", U"true", U"null",
            U"1e400", U"1e-400", U"e308", U"e-324", U"\\u", U"\\ud83c", U"\\uFEFF", U"\"\uFEFF"};
    std::u32string text = Seed;
    const int changes = 1 + static_cast<int>(Random() % 3);
    for (int change = 0; change < changes; ++change) {
        const std::size_t at = Random() % (text.size() + 1);
        const std::size_t span = std::min<std::size_t>(1 + Random() % 4, text.size() - std::min(at, text.size()));
        switch (Random() % 4) {
        case 0:
            text.insert(at, Tokens[Random() % std::size(Tokens)]);
            break;
        case 1:
            text.erase(at, span);
            break;
        case 2:
            text.insert(at, text.substr(at, span));
            break;
        default:
            if (at < text.size())
                text[at] = Tokens[Random() % std::size(Tokens)].front();
        }
    }
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// The reader stands in for Qt's parser on the audio lists, so it must accept
// and refuse exactly the documents Qt's parser does, and read the same values.
TEST(JSONReader, AcceptsWhatQtsParserAcceptsAndNothingElse)
{
    const char *const documents[] = {
        "{}",
        "[]",
        " [ 1 , -0, 0.5, 1e5, 1E-5, -1.5e+3 ] ",
        "{\"a\":\"\\u0041\\n\\\"\\/\",\"b\":[true,false,null]}",
        "[\"\\u0000\", \"\\uD83C\\uDFB5\", \"\xD0\x9A\"]",
        "{\"a\":{\"a\":{}},\"a\":[]}",
        "\t\r\n[]\n",
        "[1.]",
        "[.5]",
        "[\"a\x01\tb\"]",
        "[\"\\x\"]",
        "[-.5e]",
        "[1,]",
        "[01]",
        "[+1]",
        "[-]",
        "[1e]",
        "[1e+]",
        "{\"a\" 1}",
        "{a:1}",
        "['a']",
        "[\"\\u12\"]",
        "[\"\\u12G4\"]",
        "[1 2]",
        "[tru]",
        "[nul]",
        "[True]",
        "[1]]",
        "[1] x",
        "{\"a\":1,}",
        "[",
        "",
        "[\"abc",
        "{\"a\":}",
        "[,1]",
        "[1,,2]",
        "{,}",
        // An escaped character is one byte of the UTF-8: an ASCII one only.
        "[\"\\\xC3\xA9\"]",
        "[\"\\\xE2\x82\xAC\"]",
        "[\"\\\xF0\x9F\x8E\xB5\"]",
        "[\"\\\x7F\"]",
        "[\"\\\x01\"]",
        "[\"\\q\"]",
        // Only numbers a double holds.
        "[1e400]",
        "[1e-400]",
        "[-1e400]",
        "[1.e400]",
        "[.1e-400]",
        "[1e308]",
        "[4.9e-324]",
        "[1e-320]",
        "[0e400]",
        "[-0.0e-400]",
        "[1.7976931348623157e308]",
        "[1.7976931348623159e308]",
        "[123456789012345678901234567890]",
        "[9223372036854775808]",
        "[1e+0000000000000000000000000000001]",
        "[1e-5000000000000000000000]",
        "[1.e5]",
        "[-.0e999]",
        // Byte order marks: before the document, and opening a string without escapes.
        "\xEF\xBB\xBF[1]",
        "\xEF\xBB\xBF [1]",
        " \xEF\xBB\xBF[1]",
        "\xEF\xBB\xBF\xEF\xBB\xBF[1]",
        "[\xEF\xBB\xBF"
        "1]",
        "[\"\xEF\xBB\xBF"
        "a\"]",
        "[\"\xEF\xBB\xBF\"]",
        "[\"\xEF\xBB\xBF\xEF\xBB\xBF"
        "a\"]",
        "[\"a\xEF\xBB\xBF"
        "b\"]",
        "{\"\xEF\xBB\xBF"
        "k\":\"\xEF\xBB\xBF"
        "v\"}",
        "[\"\xEF\xBB\xBF"
        "ab\\n\"]",
        "[\"\xEF\xBB\xBF\\u0041\"]",
        "[\"\\ufeffa\"]",
        "[\"\\n\xEF\xBB\xBF"
        "a\"]",
        "[\"\\\xEF\xBB\xBF\"]",
        // Qt's parser takes no value but an object or an array.
        "1",
        "\"a\"",
        "null",
    };
    for (const char *document : documents)
        ExpectSameReading(QString::fromUtf8(document));
    // Qt's parser takes nesting to 1024 deep.
    for (const int depth : {512, 513, 1024, 1025})
        for (const bool objects : {false, true})
            ExpectSameReading(Nested(depth, objects));
}

// Thousands of small changes to documents of the shapes the site sends;
// the same seed each run, so that a failure can be looked at again.
TEST(JSONReader, ReadsAMutatedCorpusAsQtsParserDoes)
{
    const std::u32string seeds[] = {
        U"{\"type\":\"playlist\",\"ownerId\":77,\"list\":[[1001,-77,\"\",\"Song &amp; "
        U"\\u0416\",\"Кино\",215,0,0,\"\",0,2,"
        U"\"\",\"[]\",\"3f9a/8d0e//5c2d/\",{\"duration\":215.5}]],\"hasMore\":false}",
        U"[[1,2,\"http:\\/\\/127.0.0.1\\/audio\\/tone-3s.mp3\",\"\\ud83c\\udfb5\"],[1e5,-0.5E-3,.5,1.,true,null]]",
        U"\uFEFF{\"\uFEFFa\":[\"\uFEFFé\",\"x\\\"y\",{\"b\":{\"c\":[1e308,4.9e-324]}}],\"z\":\"🎵\"}",
    };
    std::mt19937 random(20261210);
    int accepted = 0;
    constexpr int Documents = 4000;
    for (int i = 0; i < Documents; ++i) {
        const QString text = Mutated(seeds[i % std::size(seeds)], random);
        ExpectSameReading(text);
        accepted += QtReading(text).has_value();
        if (HasFailure())
            break;
    }
    // Both outcomes are well represented, or the corpus shows little.
    EXPECT_GT(accepted, Documents / 10);
    EXPECT_LT(accepted, Documents * 9 / 10);
}

TEST(JSONReader, ReadsStringsNumbersAndMembersInOrder)
{
    TJSONReader reader(QStringLiteral(R"({"s":"a\"b\\c\u0416\ud83c\udfb5","n":-12.5e1,"list":[1,"x",[true]]})"));
    QStringList seen;
    reader.ReadObject([&](const QString &Name) {
        seen << Name;
        if (Name == u"s")
            seen << reader.ReadString();
        else if (Name == u"n")
            seen << reader.ReadNumber().toString();
        else
            reader.ReadArray([&](qsizetype Index) {
                seen << QString::number(Index);
                reader.SkipValue();
            });
    });
    reader.End();
    EXPECT_EQ(seen,
        QStringList(
            {QStringLiteral("s"), QStringLiteral("a\"b\\cЖ\U0001F3B5"), QStringLiteral("n"), QStringLiteral("-12.5e1"),
                QStringLiteral("list"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
}

TEST(JSONReader, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    EXPECT_FALSE(ReaderAccepts(QString(100000, u'[') + QString(100000, u']')));
    EXPECT_TRUE(ReaderAccepts(QString(100, u'[') + QString(100, u']')));
}
