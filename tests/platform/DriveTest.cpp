#include "platform/ShellUnit.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(Drive, ADrivesFolderIsWhereRemovableMediaMountOrElseTheTopFolder)
{
    const struct
    {
        const char *Path;
        const char *Drive;
    } cases[] = {
        {"/home/ann/Music/MarvanePlayer/", "/home"},
        {"/media/ann/USB STICK/Music/", "/media/ann/USB STICK"},
        {"/media/ann", "/media"},
        {"/run/media/ann/Card/Музыка", "/run/media/ann/Card"},
        {"/run/user/1000/x", "/run"},
        {"/mnt/backup/Music", "/mnt/backup"},
        {"//srv//music", "/srv"},
        {"/", "/"},
        {"Music/MarvanePlayer/", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Shell::PathDrive(QString::fromUtf8(c.Path)), QString::fromUtf8(c.Drive)) << c.Path;
}

TEST(Drive, ExistsWhenItsFolderDoes)
{
    QTemporaryDir dir;
    EXPECT_TRUE(Shell::DriveExists(dir.path()));
    EXPECT_FALSE(Shell::DriveExists(dir.filePath(QStringLiteral("unplugged"))));
    EXPECT_FALSE(Shell::DriveExists(QString()));
}
