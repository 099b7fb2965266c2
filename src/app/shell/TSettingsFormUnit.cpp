#include "app/shell/TSettingsFormUnit.h"

TSettingsForm::TSettingsForm()
{
    setObjectName(QStringLiteral("SettingsForm"));
}
