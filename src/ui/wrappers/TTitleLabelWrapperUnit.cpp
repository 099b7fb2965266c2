#include "ui/wrappers/TTitleLabelWrapperUnit.h"

#include "app/application/ApplicationUnit.h"
#include "app/helpers/TextUtilsUnit.h"

#include <QLabel>
#include <QMouseEvent>

TTitleLabelWrapper::TTitleLabelWrapper(QObject *AOwner, bool AClickableArtistTitle, QWidget *AControl) :
      QObject(AOwner), FControl(AControl), FClickableArtistTitle(AClickableArtistTitle)
{
    OnStyleApplied(AControl, this, [this] { StyleApplied(); });
    AControl->installEventFilter(this);
    if (!EnsureStyleApplied(AControl))
        StyleApplied();
}

void TTitleLabelWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found in ") + GetStyleLookup(FControl);
    FArtistText = FindStylePart<QLabel>(FControl, QStringLiteral("artisttext"), tail);
    FTitleText = FindStylePart<QLabel>(FControl, QStringLiteral("titletext"), tail);
    // Names and titles come from the network: never read as markup.
    FArtistText->setTextFormat(Qt::PlainText);
    FTitleText->setTextFormat(Qt::PlainText);
    FFontSize = FArtistText->font().pointSizeF();
    QFont font = FArtistText->font();
    font.setUnderline(true);
    FArtistText->setFont(font);
    if (FClickableArtistTitle) {
        FArtistText->setCursor(Qt::PointingHandCursor);
        FArtistText->installEventFilter(this);
    } else {
        FArtistText->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (!FArtist.isEmpty() || !FTitle.isEmpty())
        SetText(FArtist, FTitle);
}

bool TTitleLabelWrapper::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == FControl && Event->type() == QEvent::Resize && !FArtist.isEmpty() && !FTitle.isEmpty())
        SetText(FArtist, FTitle);
    else if (Watched == FArtistText && Event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton && OnArtistTextClick)
        Application::Guarded([this] { OnArtistTextClick(FArtistText); })();
    return QObject::eventFilter(Watched, Event);
}

void TTitleLabelWrapper::SetText(const QString &AArtist, const QString &ATitle)
{
    FArtist = AArtist;
    FTitle = ATitle;
    if (!FArtistText || !FTitleText)
        return;
    const QFontMetrics artistMetrics(FArtistText->font());
    const int width = FControl->width();
    bool cropped = false;
    const QString artist
        = CropTextByWidth(artistMetrics, AArtist, width, artistMetrics.horizontalAdvance(QStringLiteral("…")), cropped);
    const int artistWidth = qMin(width, artistMetrics.horizontalAdvance(artist) + 2);
    FArtistText->setFixedWidth(artistWidth);
    FArtistText->setText(artist);
    const int titleWidth = qMax(0, width - artistWidth);
    FTitleText->setFixedWidth(titleWidth);
    if (cropped) {
        FTitleText->clear();
        return;
    }
    const QFontMetrics titleMetrics(FTitleText->font());
    bool titleCropped = false;
    FTitleText->setText(CropTextByWidth(titleMetrics, QStringLiteral("– ") + ATitle, titleWidth,
        titleMetrics.horizontalAdvance(QStringLiteral("…")), titleCropped));
}

void TTitleLabelWrapper::Clear()
{
    FArtist.clear();
    FTitle.clear();
    if (FArtistText)
        FArtistText->clear();
    if (FTitleText)
        FTitleText->clear();
}

void TTitleLabelWrapper::SetFontSize(qreal Value)
{
    FFontSize = Value;
    for (QLabel *text : {FArtistText.data(), FTitleText.data()})
        if (text) {
            QFont font = text->font();
            font.setPointSizeF(Value);
            text->setFont(font);
        }
}
