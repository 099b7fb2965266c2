#pragma once

#include "metadata/blocks/TMetaDataBlockViewUnit.h"

#include <QObject>

// A view of the metadata pages: redraws when the language changes, so every
// text it shows follows the switch.
class TMetaDataView : public QObject, public TMetaDataBlockView
{
    Q_OBJECT
public:
    explicit TMetaDataView(QObject *AOwner) : QObject(AOwner) { }
    // Runs the state handler for the block as it is now.
    void Refresh();

protected:
    bool event(QEvent *Event) override;
};

// The localized text of Key.
QString MetaDataText(const char *Key);
