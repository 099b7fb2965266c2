#pragma once

#include <httplib.h>

#include <QString>

#include <optional>

namespace Standin {

// What the update host's "/updates/30.txt" answers: a version newer than the
// program's, the program's own, a portal's page instead of the file, no file
// at all (404), or a given four-part version.
struct TUpdateAnswer
{
    enum TKind { Newer, Equal, Garbage, None, Version };
    TKind Kind = Equal;
    QString OfferedVersion; // for Version
};

// "newer", "equal", "garbage", "none" or a four-part version; nothing for any other text.
std::optional<TUpdateAnswer> ParseUpdateAnswer(const QString &Text);

// The update host: the update file (CR LF lines: the version, a line the
// program skips, the new features up to an empty line) and "/download/",
// the download page. Under a prefix naming an answer ("/garbage/updates/30.txt")
// the file is that answer's. ProgramVersion is the player's own four-part version.
void AddUpdateHandlers(httplib::Server &Server, const TUpdateAnswer &Answer, const QString &ProgramVersion);

} // namespace Standin
