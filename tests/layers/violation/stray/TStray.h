#pragma once

// A folder no layer holds.
