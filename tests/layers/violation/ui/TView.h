#pragma once

// The toolkit takes its services as interfaces, never a client.
#include "lastfm/TLastFMClient.h"
