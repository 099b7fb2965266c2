#pragma once

#include "standin/Catalogue.h"

#include <httplib.h>

#include <QString>

namespace Standin {

// The Last.fm host: "/2.0/" answers the six methods the player calls in the
// service's JSON shapes, and "/covers/NAME.png" serves the pictures. Its
// artists are the catalogue's, each with two albums of its titles plus one
// title the catalogue lacks; "Nobody Known" is an artist only Last.fm knows.
// Origin is the host's own address, for the picture URLs. A POST to
// "/standin/down" takes the service down (every method answers 503) until a
// POST to "/standin/up", for the pages' "Request failed" and their retry.
void AddLastFMHandlers(httplib::Server &Server, const TCatalogue &Catalogue, const QString &Origin);

} // namespace Standin
