#pragma once

// The track records sit below the track lists of their own folder.
#include "tracks/lists/TAudioDataUnit.h"
