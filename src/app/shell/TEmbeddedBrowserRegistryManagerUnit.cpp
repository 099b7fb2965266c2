#include "app/shell/TEmbeddedBrowserRegistryManagerUnit.h"

#include "platform/ShellUnit.h"
#include "platform/TRegistryUnit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>

namespace {

void WriteFeatureValue(const QString &Key, const QString &Name, unsigned Value)
{
    try {
        TRegistry registry(TRegistryRoot::LocalMachine);
        if (registry.OpenKey(Key, false))
            registry.WriteInteger(Name, qint32(Value));
    } catch (...) {
    }
}

} // namespace

void TEmbeddedBrowserRegistryManager::DoRegister(unsigned BrowserMode)
{
    DoRegister(BrowserMode, QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
        QSysInfo::currentCpuArchitecture() == QLatin1String("x86_64"));
}

void TEmbeddedBrowserRegistryManager::DoRegister(
    unsigned BrowserMode, const QString &ExecutableName, bool Is64BitSystem)
{
    if (!Shell::IsUserAnAdmin())
        return;
    WriteFeatureValue(
        QStringLiteral("SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION"),
        ExecutableName, BrowserMode);
    if (Is64BitSystem)
        WriteFeatureValue(QStringLiteral("SOFTWARE\\WOW6432Node\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                                         "FEATURE_BROWSER_EMULATION"),
            ExecutableName, BrowserMode);
}
