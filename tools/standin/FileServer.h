#pragma once

#include "standin/Catalogue.h"

#include <QString>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace httplib {
class Server;
}

namespace Standin {

// How the files go out: at once, or as a slow network sends them, and which
// tracks' answers break off.
struct TDelivery
{
    // Bytes a second; 0 sends at once.
    int BytesPerSecond = 0;
    // "OWNER_AID" of the tracks (the URL's "extra") whose answer stops half
    // way, the connection closed short of its Content-Length.
    std::set<std::string> BrokenTracks;
};

// The tone MP3s behind the track URLs, read once: names "tone-<seconds>s.mp3".
class TFileServer
{
public:
    explicit TFileServer(TDelivery Delivery = {}) : FDelivery(std::move(Delivery)) { }

    // False when the folder holds no tone file.
    bool Load(const QString &Folder);
    const std::vector<TToneFile> &Tones() const { return FTones; }
    // GET "/audio/<name>" with Content-Length and byte ranges.
    void AddHandlers(httplib::Server &Server) const;

private:
    TDelivery FDelivery;
    std::vector<TToneFile> FTones;
    std::map<std::string, std::string> FFiles;
};

} // namespace Standin
