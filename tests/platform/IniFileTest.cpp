#include "platform/TIniFileUnit.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IniFileTest : public ::testing::Test
{
protected:
    QString PathOf(const char *Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
    void WriteRaw(const QString &Path, const QByteArray &Text)
    {
        QFile file(Path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Text);
    }
    QByteArray ReadRaw(const QString &Path)
    {
        QFile file(Path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions)
{
    const QString path = PathOf("a.ini");
    WriteRaw(path, "; comment\r\n[Main]\r\n  Name =  \"quoted value\"  \r\nplain=  spaced  \r\nnoequals\r\n"
                   "[]\nanon=1\n[Другой]\nключ=значение\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("main"), QStringLiteral("NAME"), {}), QStringLiteral("quoted value"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Main"), QStringLiteral("plain"), {}), QStringLiteral("spaced"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Main"), QStringLiteral("absent"), QStringLiteral("def")),
              QStringLiteral("def"));
    EXPECT_EQ(ini.ReadString(QString(), QStringLiteral("anon"), {}), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("другой"), QStringLiteral("КЛЮЧ"), {}), QStringLiteral("значение"));
    EXPECT_EQ(ini.ReadSections(), (QStringList{QStringLiteral("Main"), QStringLiteral("Другой")}));
    EXPECT_TRUE(ini.SectionExists(QString()));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("MAIN")), (QStringList{QStringLiteral("Name"), QStringLiteral("plain")}));
    EXPECT_FALSE(ini.ValueExists(QStringLiteral("Main"), QStringLiteral("noequals")));
}

TEST_F(IniFileTest, WritesInPlaceAndKeepsTheRest)
{
    const QString path = PathOf("sub/b.ini");
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("1")));
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("b"), QStringLiteral("2")));
    ASSERT_TRUE(ini.WriteString(QStringLiteral("T"), QStringLiteral("c"), QStringLiteral("3")));
    ASSERT_TRUE(ini.WriteString(QStringLiteral("s"), QStringLiteral("A"), QStringLiteral("10")));
    ASSERT_TRUE(ini.WriteString(QString(), QStringLiteral("k"), QString()));
    EXPECT_EQ(ReadRaw(path), QByteArray("[S]\nA=10\nb=2\n[T]\nc=3\n[]\nk=\n"));

    ASSERT_TRUE(ini.DeleteKey(QStringLiteral("S"), QStringLiteral("b")));
    ASSERT_TRUE(ini.EraseSection(QStringLiteral("t")));
    EXPECT_EQ(ReadRaw(path), QByteArray("[S]\nA=10\n[]\nk=\n"));
    EXPECT_TRUE(ini.ValueExists(QString(), QStringLiteral("K")));
}

TEST_F(IniFileTest, UnwritableFileReportsFailureAndReadsFallBack)
{
    TIniFile ini(QStringLiteral("/proc/marvane-no-such-dir/x.ini"));
    EXPECT_FALSE(ini.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("1")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("d")), QStringLiteral("d"));
}
