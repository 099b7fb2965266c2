#pragma once

#include "playback/TPlayer.h"
