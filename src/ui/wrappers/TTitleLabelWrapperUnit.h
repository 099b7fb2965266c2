#pragma once

#include "foundation/BaseTypesUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;

// The title line: the artist (underlined, clickable when asked) and
// "– title" after it, both fitted into the line's width.
class TTitleLabelWrapper : public QObject, public TObject
{
    Q_OBJECT
public:
    TTitleLabelWrapper(QObject *AOwner, bool AClickableArtistTitle, QWidget *AControl);

    const QString &Artist() const { return FArtist; }
    const QString &Title() const { return FTitle; }
    void SetText(const QString &AArtist, const QString &ATitle);
    void Clear();
    qreal FontSize() const { return FFontSize; }
    void SetFontSize(qreal Value);
    QLabel *ArtistText() const { return FArtistText; }
    QLabel *TitleText() const { return FTitleText; }

    // Sender: the artist text.
    TControlEvent OnArtistTextClick;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void StyleApplied();

    QWidget *FControl;
    QPointer<QLabel> FArtistText;
    QPointer<QLabel> FTitleText;
    bool FClickableArtistTitle;
    QString FArtist;
    QString FTitle;
    qreal FFontSize = 0;
};
