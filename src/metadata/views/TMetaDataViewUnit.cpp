#include "metadata/views/TMetaDataViewUnit.h"

#include "localization/TQelmLocalizationUnit.h"

#include <QEvent>

void TMetaDataView::Refresh()
{
    if (Data())
        UpdateView();
}

bool TMetaDataView::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED)
        Refresh();
    return QObject::event(Event);
}

QString MetaDataText(const char *Key)
{
    return LocalizationManager->getValue(QString::fromLatin1(Key));
}
