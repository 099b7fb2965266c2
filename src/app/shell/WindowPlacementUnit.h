#pragma once

class QWidget;

// Puts Window over the middle of the window the user is at (the active one,
// else the largest one shown), on the same screen, unless Window has been
// placed already. Windows owned by none open there rather than wherever the
// desktop puts a new window.
void PlaceOverActiveWindow(QWidget *Window);
