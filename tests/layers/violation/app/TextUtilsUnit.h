#pragma once

// The helpers sit below the windows of their own folder.
#include "app/shell/TMainFormUnit.h"
