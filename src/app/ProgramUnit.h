#pragma once

class QString;

// The program body: the install step when the first argument is "-INSTALL"
// in any letter case, otherwise the player. Returns the exit code.
int RunProgram(int argc, char **argv);

bool IsInstallArgument(const QString &FirstArgument);
// Registers the browser emulation value and puts the empty saved-tracks table
// in place unless a table exists; the template is removed either way.
void RunInstallStep();
