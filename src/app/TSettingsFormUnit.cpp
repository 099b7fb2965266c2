#include "app/TSettingsFormUnit.h"

TSettingsForm::TSettingsForm()
{
    setObjectName(QStringLiteral("SettingsForm"));
}
