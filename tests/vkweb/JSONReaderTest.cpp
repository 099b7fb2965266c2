#include "vkweb/TJSONReaderUnit.h"

#include "foundation/BaseTypesUnit.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

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

} // namespace

// The reader stands in for Qt's parser on the audio lists, so it must accept
// and refuse exactly the documents Qt's parser does.
TEST(JSONReader, AcceptsWhatQtsParserAcceptsAndNothingElse)
{
    const char *const documents[] = {
        "{}", "[]", " [ 1 , -0, 0.5, 1e5, 1E-5, -1.5e+3 ] ", "{\"a\":\"\\u0041\\n\\\"\\/\",\"b\":[true,false,null]}",
        "[\"\\u0000\", \"\\uD83C\\uDFB5\", \"\xD0\x9A\"]", "{\"a\":{\"a\":{}},\"a\":[]}", "\t\r\n[]\n",
        "[1.]", "[.5]", "[\"a\x01\tb\"]", "[\"\\x\"]", "[-.5e]", "[1,]", "[01]", "[+1]", "[-]", "[1e]", "[1e+]", "{\"a\" 1}", "{a:1}", "['a']",
        "[\"\\u12\"]", "[\"\\u12G4\"]", "[1 2]", "[tru]", "[nul]",
        "[True]", "[1]]", "[1] x", "{\"a\":1,}", "[", "", "[\"abc", "{\"a\":}", "[,1]", "[1,,2]", "{,}",
    };
    for (const char *document : documents) {
        const QString text = QString::fromUtf8(document);
        const bool qtAccepts = !QJsonDocument::fromJson(text.toUtf8()).isNull();
        EXPECT_EQ(ReaderAccepts(text), qtAccepts) << document;
    }
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
    EXPECT_EQ(seen, QStringList({QStringLiteral("s"), QStringLiteral("a\"b\\cЖ\U0001F3B5"), QStringLiteral("n"),
                                 QStringLiteral("-12.5e1"), QStringLiteral("list"), QStringLiteral("0"),
                                 QStringLiteral("1"), QStringLiteral("2")}));
}

TEST(JSONReader, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    EXPECT_FALSE(ReaderAccepts(QString(100000, u'[') + QString(100000, u']')));
    EXPECT_TRUE(ReaderAccepts(QString(100, u'[') + QString(100, u']')));
}
