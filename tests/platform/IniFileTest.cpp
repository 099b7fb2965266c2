#include "platform/TIniFileUnit.h"
#include "platform/TRegistryUnit.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Takes read access to a file away from this process while it lives: by the
// file's mode, and, since root reads any file, by acting as another user who
// owns the file and the folders from Root down to it.
class TUnreadableFile
{
public:
    TUnreadableFile(const QString &Path, const QString &Root) : FRoot(geteuid() == 0)
    {
        chmod(QFile::encodeName(Path).constData(), 0200);
        if (!FRoot)
            return;
        QString path = Path;
        for (;;) {
            EXPECT_EQ(chown(QFile::encodeName(path).constData(), Nobody, Nobody), 0) << path.toStdString();
            if (path == Root || path.size() <= Root.size())
                break;
            path = QFileInfo(path).absolutePath();
        }
        EXPECT_EQ(seteuid(Nobody), 0);
    }
    ~TUnreadableFile()
    {
        if (FRoot) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }

private:
    static constexpr uid_t Nobody = 65534;
    bool FRoot;
};

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
    // Rewrites the file, applies Action, and gives the file's bytes after it.
    QByteArray AfterWrite(const QByteArray &Before, const std::function<bool(TIniFile &)> &Action)
    {
        const QString path = PathOf("w.ini");
        WriteRaw(path, Before);
        TIniFile ini(path);
        EXPECT_TRUE(Action(ini)) << Before.toStdString();
        return ReadRaw(path);
    }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions)
{
    const QString path = PathOf("a.ini");
    WriteRaw(path,
        "; comment\r\n[Main]\r\n  Name =  \"quoted value\"  \r\nplain=  spaced  \r\nnoequals\r\n"
        "[]\nanon=1\n[Другой]\nключ=значение\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("main"), QStringLiteral("NAME"), {}), QStringLiteral("quoted value"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Main"), QStringLiteral("plain"), {}), QStringLiteral("spaced"));
    EXPECT_EQ(
        ini.ReadString(QStringLiteral("Main"), QStringLiteral("absent"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_EQ(ini.ReadString(QString(), QStringLiteral("anon"), {}), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("другой"), QStringLiteral("КЛЮЧ"), {}), QStringLiteral("значение"));
    EXPECT_EQ(ini.ReadSections(), (QStringList {QStringLiteral("Main"), QStringLiteral("Другой")}));
    EXPECT_TRUE(ini.SectionExists(QString()));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("MAIN")), (QStringList {QStringLiteral("Name"), QStringLiteral("plain")}));
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

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced)
{
    const QByteArray text = "[S]\na=1\nb=2\n[T]\nc=3\n";
    const std::function<bool(TIniFile &)> writes[] = {
        [](TIniFile &ini) { return ini.WriteString(QStringLiteral("S"), QStringLiteral("a"), QStringLiteral("9")); },
        [](TIniFile &ini) { return ini.WriteString(QStringLiteral("New"), QStringLiteral("x"), QStringLiteral("9")); },
        [](TIniFile &ini) { return ini.DeleteKey(QStringLiteral("S"), QStringLiteral("a")); },
        [](TIniFile &ini) { return ini.EraseSection(QStringLiteral("T")); },
        [](TIniFile &ini) { return ini.AddSection(QStringLiteral("New")); },
    };
    for (const auto &write : writes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.ini"));
        WriteRaw(path, text);
        TIniFile ini(path);
        {
            TUnreadableFile unreadable(path, dir.path());
            EXPECT_FALSE(write(ini));
        }
        chmod(QFile::encodeName(path).constData(), 0600);
        EXPECT_EQ(ReadRaw(path), text);
    }
}

TEST_F(IniFileTest, UnreadableRegistryRefusesWritesAndKeepsItsValues)
{
    TTempUserFolders folders;
    const QString path = RegistryFilePath(TRegistryRoot::CurrentUser);
    {
        TRegistry registry(TRegistryRoot::CurrentUser);
        ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
        registry.WriteString(QStringLiteral("Lang"), QStringLiteral("ru"));
        registry.WriteInteger(QStringLiteral("MuteFlag"), 1);
    }
    const QByteArray before = ReadRaw(path);
    {
        TUnreadableFile unreadable(path, folders.Root());
        TRegistry registry(TRegistryRoot::CurrentUser);
        EXPECT_FALSE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
        EXPECT_THROW(registry.WriteInteger(QStringLiteral("MuteFlag"), 0), ERegistryException);
    }
    chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EQ(ReadRaw(path), before);
}

TEST_F(IniFileTest, WriteKeepsLinesItDoesNotUnderstandByteForByte)
{
    const auto set = [](const char *Section, const char *Key, const char *Value) {
        return [=](TIniFile &ini) {
            return ini.WriteString(QString::fromUtf8(Section), QString::fromUtf8(Key), QString::fromUtf8(Value));
        };
    };
    struct TCase
    {
        const char *Name;
        QByteArray Before;
        std::function<bool(TIniFile &)> Write;
        QByteArray After;
    } const cases[] = {
        {"Windows-1251 text", "[S]\r\nname=\xcf\xf0\xe8\r\n; \xff\xfe\r\n", set("S", "New", "1"),
            "[S]\r\nname=\xcf\xf0\xe8\r\n; \xff\xfe\r\nNew=1\r\n"},
        {"CR line ends", "[S]\ra=1\rb=2\r", set("S", "a", "5"), "[S]\ra=1\rb=2\r\na=5\r\n"},
        {"text after a header", "[S] ; main\na=1\n", set("S", "b", "2"), "[S] ; main\na=1\nb=2\n"},
        {"CR LF kept on a replaced line", "[S]\r\na=1\r\nb=2\r\n", set("S", "a", "3"), "[S]\r\na=3\r\nb=2\r\n"},
        {"no final line feed, replaced", "[S]\na=1", set("S", "a", "2"), "[S]\na=2"},
        {"no final line feed, added", "[S]\na=1", set("T", "x", "1"), "[S]\na=1\n[T]\nx=1\n"},
        {"odd lines elsewhere", "\xef\xbb\xbf; top\n[S]\n\xc0=\xc1\n[T]\ty\nc=3\n",
            [](TIniFile &ini) { return ini.DeleteKey(QStringLiteral("T"), QStringLiteral("c")); },
            "\xef\xbb\xbf; top\n[S]\n\xc0=\xc1\n[T]\ty\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AfterWrite(c.Before, c.Write), c.After) << c.Name;
}

TEST_F(IniFileTest, EveryValueRoundTripsWithoutTouchingOtherKeys)
{
    const QString path = PathOf("v.ini");
    const QString section = QStringLiteral("S");
    const QString values[] = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("a=b;c"),
        QStringLiteral(";not a comment"),
        QStringLiteral("[S]"),
        QStringLiteral("  leading"),
        QStringLiteral("trailing  "),
        QStringLiteral("\t both \t"),
        QStringLiteral("line\nbreak"),
        QStringLiteral("a\r\nb\rc"),
        QStringLiteral("\r"),
        QStringLiteral("x\n[S]\nother=stolen\nk=y"),
        QStringLiteral("\"quoted\""),
        QStringLiteral("'single'"),
        QStringLiteral("\""),
        QStringLiteral("\\"),
        QStringLiteral("\" \\n \""),
        QStringLiteral("C:\\new\\"),
        QStringLiteral("Привет, мир \u00a0"),
        QString::fromUtf8("\xf0\x9f\x8e\xb5 note"),
    };
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString(section, QStringLiteral("other"), QStringLiteral("kept")));
    for (const QString &value : values) {
        ASSERT_TRUE(ini.WriteString(section, QStringLiteral("k"), value));
        EXPECT_EQ(ini.ReadString(section, QStringLiteral("k"), QStringLiteral("-")), value) << value.toStdString();
        EXPECT_EQ(ini.ReadString(section, QStringLiteral("other"), {}), QStringLiteral("kept")) << value.toStdString();
        EXPECT_EQ(ini.ReadSection(section), (QStringList {QStringLiteral("other"), QStringLiteral("k")}));
        EXPECT_EQ(ini.ReadSections(), QStringList {section});
    }
}

TEST_F(IniFileTest, OrdinaryValuesAreStoredAsTheyAre)
{
    struct TCase
    {
        QString Value;
        QByteArray Line;
    } const cases[] = {
        {QStringLiteral("plain"), "k=plain"},
        {QStringLiteral("a=b"), "k=a=b"},
        {QStringLiteral("C:\\new\\"), "k=C:\\new\\"},
        {QStringLiteral("\"open"), "k=\"open"},
        {QStringLiteral("Кино"), "k=\xd0\x9a\xd0\xb8\xd0\xbd\xd0\xbe"},
        {QString(), "k="},
        // Only what the reader would not give back is quoted.
        {QStringLiteral(" a "), "k=\" a \""},
        {QStringLiteral("'a'"), "k=\"'a'\""},
        {QStringLiteral("a\\b\nc"), "k=\"a\\\\b\\nc\""},
    };
    for (const auto &c : cases) {
        const QByteArray text
            = AfterWrite({}, [&](TIniFile &ini) { return ini.WriteString({}, QStringLiteral("k"), c.Value); });
        EXPECT_EQ(text, "[]\n" + c.Line + "\n") << c.Value.toStdString();
    }
}

TEST_F(IniFileTest, ValuesWrittenBeforeReadTheSame)
{
    const QString path = PathOf("old.ini");
    WriteRaw(path,
        "[]\npath=C:\\Music\\new\\\nspaced=  x  \nsingle='a b'\ndouble=\"a b\"\nslash=a\\nb\n"
        "cr=a\rb\ntoken=vk1.a.Zx-9_\n");
    TIniFile ini(path);
    const struct
    {
        const char *Key, *Value;
    } cases[] = {
        {"path", "C:\\Music\\new\\"},
        {"spaced", "x"},
        {"single", "a b"},
        {"double", "a b"},
        {"slash", "a\\nb"},
        {"cr", "a\rb"},
        {"token", "vk1.a.Zx-9_"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ini.ReadString({}, QString::fromUtf8(c.Key), {}), QString::fromUtf8(c.Value)) << c.Key;
}

TEST_F(IniFileTest, NamesThatCannotBeReadBackAreRefused)
{
    const QString path = PathOf("n.ini");
    TIniFile ini(path);
    ASSERT_TRUE(ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    const QByteArray before = ReadRaw(path);
    const struct
    {
        QString Section, Key;
    } cases[] = {
        {QStringLiteral("S"), QStringLiteral("a=b")},
        {QStringLiteral("S"), QStringLiteral("a\nb")},
        {QStringLiteral("S"), QStringLiteral("a\r")},
        {QStringLiteral("S"), QStringLiteral(" a")},
        {QStringLiteral("S"), QStringLiteral("a ")},
        {QStringLiteral("S"), QStringLiteral(";a")},
        {QStringLiteral("S"), QStringLiteral("[a]")},
        {QStringLiteral("a]b"), QStringLiteral("k")},
        {QStringLiteral("a\nb"), QStringLiteral("k")},
        {QStringLiteral(" S"), QStringLiteral("k")},
    };
    for (const auto &c : cases) {
        // Twice: a name the reader cannot find must not add a line per write.
        for (int i = 0; i < 2; ++i)
            EXPECT_FALSE(ini.WriteString(c.Section, c.Key, QStringLiteral("x"))) << c.Key.toStdString();
        if (c.Section != QStringLiteral("S")) {
            EXPECT_FALSE(ini.AddSection(c.Section)) << c.Section.toStdString();
        }
        EXPECT_EQ(ReadRaw(path), before) << c.Section.toStdString() << "/" << c.Key.toStdString();
    }
}
