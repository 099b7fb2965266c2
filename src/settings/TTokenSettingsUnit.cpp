#include "settings/TTokenSettingsUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "settings/TIniFileSettingsSourceUnit.h"

TTokenSettings::TTokenSettings() : TSettings(std::make_shared<TIniFileSettingsSource>(GetTokenFilePath()))
{
    DeclareValue(QStringLiteral("access_token"), TVariant::FromString(QString()));
    DeclareValue(QStringLiteral("expires_in"), TVariant::FromInteger(0));
    // Date-times are not numeric, so these bounds never apply.
    DeclareValue(QStringLiteral("token_request_datetime"), TVariant::FromDateTime(0.0), TVariant::FromByte(0),
        TVariant::FromByte(0));
    DeclareValue(QStringLiteral("user_id"), TVariant::FromInteger(0));
}
