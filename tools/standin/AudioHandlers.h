#pragma once

namespace httplib {
class Server;
}

namespace Standin {

class TSiteState;
struct TOrigins;

// "/al_audio.php": search pages, a user's list, track URLs, adding to and removing from My Music.
// Answers are Windows-1251 frames with the JSON between "<!json>" and "<!>".
void AddAudioHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins);

} // namespace Standin
