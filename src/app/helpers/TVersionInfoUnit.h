#pragma once

#include <QString>

#include <cstdint>

struct TVersionNumbers
{
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
    bool IsValid = false;
};

TVersionNumbers ParseVersion(const QString &Text);
// The four-part version a file carries; only the program itself carries one
// (compiled in from the build), any other file gives an empty string.
QString GetFileVersionString(const QString &FileName);
// "major.minor", with ".release" when the release is not 0.
QString GetProgramVersionString();
// The same from a four-part version text.
QString ProgramVersionFromFileVersion(const QString &FileVersion);
