#pragma once

#include "standin/Catalogue.h"

#include <QString>

#include <map>
#include <string>
#include <vector>

namespace httplib {
class Server;
}

namespace Standin {

// The tone MP3s behind the track URLs, read once: names "tone-<seconds>s.mp3".
class TFileServer
{
public:
    // False when the folder holds no tone file.
    bool Load(const QString &Folder);
    const std::vector<TToneFile> &Tones() const { return FTones; }
    // GET "/audio/<name>" with Content-Length and byte ranges.
    void AddHandlers(httplib::Server &Server) const;

private:
    std::vector<TToneFile> FTones;
    std::map<std::string, std::string> FFiles;
};

} // namespace Standin
