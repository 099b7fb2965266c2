#include "tracks/records/QelmTypesUnit.h"

QString GetVKAudioFullID(int OwnerID, int AID)
{
    return QString::number(OwnerID) + QLatin1Char('_') + QString::number(AID);
}
