#include "platform/TRegistryUnit.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(Registry, TypedValuesRoundTripAndKeysIgnoreCase)
{
    TTempUserFolders folders;
    {
        TRegistry registry(TRegistryRoot::CurrentUser);
        EXPECT_FALSE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), false));
        ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
        registry.WriteString(QStringLiteral("Lang"), QStringLiteral(" ru\\\n x "));
        registry.WriteExpandString(QStringLiteral("Path"), QStringLiteral("%HOME%/Музыка"));
        registry.WriteInteger(QStringLiteral("Flag"), -1);
        registry.WriteBinaryData(QStringLiteral("Volume"), QByteArray("\x00\x01\xff", 3));
    }
    TRegistry registry(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(registry.OpenKeyReadOnly(QStringLiteral("SOFTWARE\\marvaneplayer\\")));
    EXPECT_EQ(registry.ReadString(QStringLiteral("lang")), QStringLiteral(" ru\\\n x "));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Path")), QStringLiteral("%HOME%/Музыка"));
    EXPECT_EQ(registry.GetDataType(QStringLiteral("Path")), TRegDataType::rdExpandString);
    EXPECT_EQ(registry.ReadInteger(QStringLiteral("Flag")), -1);
    EXPECT_EQ(registry.ReadBinaryData(QStringLiteral("Volume")), QByteArray("\x00\x01\xff", 3));
    EXPECT_THROW(registry.ReadInteger(QStringLiteral("Lang")), ERegistryException);
    EXPECT_THROW(registry.ReadString(QStringLiteral("Missing")), ERegistryException);
    // A key opened read-only takes no writes.
    EXPECT_THROW(registry.WriteInteger(QStringLiteral("Flag"), 1), ERegistryException);
}

TEST(Registry, RootsAreSeparateFiles)
{
    TTempUserFolders folders;
    TRegistry user(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(user.OpenKey(QStringLiteral("Software\\X"), true));
    user.WriteInteger(QStringLiteral("v"), 1);
    TRegistry machine(TRegistryRoot::LocalMachine);
    EXPECT_FALSE(machine.KeyExists(QStringLiteral("Software\\X")));
    EXPECT_TRUE(RegistryFilePath(TRegistryRoot::LocalMachine).startsWith(folders.MachineConfig()));
}

TEST(Registry, NamesTheFileCannotHoldAreRefused)
{
    TTempUserFolders folders;
    TRegistry registry(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
    registry.WriteString(QStringLiteral("Lang"), QStringLiteral("en"));
    const auto fileText = [] {
        QFile file(RegistryFilePath(TRegistryRoot::CurrentUser));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = fileText();
    const QString names[] = {QStringLiteral("a=b"), QStringLiteral("Lang\n[Software\\Other]"), QStringLiteral(" Lang")};
    for (const QString &name : names)
        for (int i = 0; i < 2; ++i)
            EXPECT_THROW(registry.WriteInteger(name, 1), ERegistryException) << name.toStdString();
    EXPECT_FALSE(registry.OpenKey(QStringLiteral("Software\\a]b"), true));
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(registry.GetValueNames(), QStringList {QStringLiteral("Lang")});
    EXPECT_EQ(registry.ReadString(QStringLiteral("Lang")), QStringLiteral("en"));
}
