#pragma once

class QString;

// The program body: the install step when the first argument is "-INSTALL"
// in any letter case, otherwise the player. Returns the exit code.
int RunProgram(int argc, char **argv);

// The player, once the application object exists: the global objects, the
// main and settings windows, the message loop until the main window is
// closed, then everything freed in reverse. Returns the exit code; a failed
// start has been shown to the user by then.
int RunPlayer();

bool IsInstallArgument(const QString &FirstArgument);
// Registers the browser emulation value and puts the empty saved-tracks table
// in place unless a table exists; the template is removed either way.
void RunInstallStep();
