#pragma once

#include "tracks/records/QelmTypesUnit.h"

class TCookieManager;

// The first track of the stand-in's catalogue that the site blocks: its
// stream URL comes back empty. Asked through a signed-in jar.
TVKAudioRecord StandinBlockedTrack(TCookieManager &Jar);
