#pragma once

#include <QString>

// Registers the running executable for the embedded browser's emulation mode.
class TEmbeddedBrowserRegistryManager
{
public:
    TEmbeddedBrowserRegistryManager() = delete;

    // Only for the administrator; each write fails silently on its own.
    static void DoRegister(unsigned BrowserMode);
    // The same with an explicit executable name and architecture, for tests.
    static void DoRegister(unsigned BrowserMode, const QString &ExecutableName, bool Is64BitSystem);
};
