#pragma once

#include "TPlayer.h"
