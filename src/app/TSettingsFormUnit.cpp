#include "TSettingsFormUnit.h"

TSettingsForm::TSettingsForm()
{
    setObjectName(QStringLiteral("SettingsForm"));
}
