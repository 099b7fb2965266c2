#include "metadata/views/TLastFMSearchListBoxUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TAlbumsDataUnit.h"
#include "metadata/pages/TArtistsDataUnit.h"
#include "metadata/views/TCoverImageDataViewUnit.h"
#include "metadata/views/TMetaDataContentCoverUnit.h"
#include "metadata/views/TMetaDataViewUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int PictureSize = 52;
constexpr int PictureMargin = 4;
constexpr int TitleLeftMargin = 4;
constexpr int TitleFontSize = 14;
} // namespace

QString FillQuery(const QString &Text, const QString &Query)
{
    // Not a formatting call: the query is the user's, and may hold "%" codes.
    QString filled = Text;
    return filled.replace(QStringLiteral("%s"), Query);
}

// TLastFMSearchListBox

TLastFMSearchListBox::TLastFMSearchListBox(QObject *Owner, QScrollBar *AScrollBar, QWidget *AScrollBox) :
      TKeyScrolledListBox(Owner, nullptr, PanelClassOf<TLastFMSearchListBoxItem>(), AScrollBar, AScrollBox),
      FContentCover(new TMetaDataContentCover(this, AScrollBox))
{
    DefaultItemColor = StyleColor(TStyleColor::Surface);
    ActiveItemColor = StyleColor(TStyleColor::Surface);
    MouseInItemColor = StyleColor(TStyleColor::Hover);
    SetItemHeight(RowHeight);
    InitializeWhenShown();
}

TLastFMSearchListBox::~TLastFMSearchListBox()
{
    if (FData)
        FData->StopListening(this);
}

int TLastFMSearchListBox::GetItemsCount() const
{
    return FData ? FData->ActiveItemsCount() : 0;
}

TCoverImageData &TLastFMSearchListBox::ItemImage(int Index) const
{
    return FData->getItem(Index).ImageData;
}

void TLastFMSearchListBox::SetSearchData(TImageMetaDataBlockList *AData)
{
    if (FData)
        FData->StopListening(this);
    FData = AData;
    if (FData)
        FData->Listen(this, [this](TObject *) { SearchDataStateChanged(); });
    RefreshData();
}

void TLastFMSearchListBox::SearchDataStateChanged()
{
    RefreshData();
    const char *error = nullptr;
    switch (FData->State()) {
    case mdsCleared:
    case mdsInvalidQuery:
        error = "EM_InputSearchQuery";
        break;
    case mdsLoading:
        FContentCover->SetState(ccsLoading);
        return;
    case mdsLoaded:
        FContentCover->SetState(ccsHidden);
        return;
    case mdsRequestFailed:
        error = "EM_RequestFailed";
        break;
    case mdsServiceError:
        error = "EM_UnknownError";
        break;
    case mdsEmptyResult:
        FContentCover->SetErrorText(EmptyResultText());
        FContentCover->SetState(ccsError);
        return;
    default:
        return;
    }
    FContentCover->SetErrorText(MetaDataText(error));
    FContentCover->SetState(ccsError);
}

bool TLastFMSearchListBox::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED && FData)
        SearchDataStateChanged();
    return TKeyScrolledListBox::event(Event);
}

TSearchArtistsData *TLastFMArtistSearchListBox::Data() const
{
    return static_cast<TSearchArtistsData *>(TLastFMSearchListBox::Data());
}

void TLastFMArtistSearchListBox::SetData(TSearchArtistsData *AData)
{
    SetSearchData(AData);
}

QString TLastFMArtistSearchListBox::ItemTitle(int Index) const
{
    return Data()->getItem(Index).Name;
}

QString TLastFMArtistSearchListBox::EmptyResultText() const
{
    return FillQuery(MetaDataText("EM_LastFMEmptyArtistSearchResult"), Data()->Query());
}

TSearchAlbumsData *TLastFMAlbumSearchListBox::Data() const
{
    return static_cast<TSearchAlbumsData *>(TLastFMSearchListBox::Data());
}

void TLastFMAlbumSearchListBox::SetData(TSearchAlbumsData *AData)
{
    SetSearchData(AData);
}

QString TLastFMAlbumSearchListBox::ItemTitle(int Index) const
{
    const TAlbumsDataItem &album = Data()->getItem(Index);
    return album.Artist + QStringLiteral(" - ") + album.Title;
}

QString TLastFMAlbumSearchListBox::EmptyResultText() const
{
    return FillQuery(MetaDataText("EM_LastFMEmptyAlbumsSearchResult"), Data()->Query());
}

// TLastFMSearchListBoxItem

TLastFMSearchListBoxItem::TLastFMSearchListBoxItem(TDynamicListBox *AListBox) :
      TKeyScrolledListPanel(AListBox), Panel(new QWidget(this)), TitleLabel(new TDynamicListLabel(this)),
      CoverImageDataView(new TCoverImageDataView(this, Panel))
{
    Panel->setGeometry(PictureMargin, PictureMargin, PictureSize, PictureSize);
    // The picture acts as the row: a click on it is a click on the row.
    CoverImageDataView->OnClick = [this](TCoverImageDataView *) { DoClick(); };
    QFont font(StyleFontFamily());
    font.setPixelSize(TitleFontSize);
    font.setBold(true);
    TitleLabel->setFont(font);
    TitleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TLastFMSearchListBoxItem::resizeEvent(QResizeEvent *Event)
{
    TKeyScrolledListPanel::resizeEvent(Event);
    const int left = Panel->geometry().right() + 1 + TitleLeftMargin;
    TitleLabel->setGeometry(left, 0, std::max(0, width() - left - TitleLeftMargin), height());
}

void TLastFMSearchListBoxItem::UpdateContent()
{
    TKeyScrolledListPanel::UpdateContent();
    const int room = std::max(0, width() - Panel->width() - PictureMargin - 2 * TitleLeftMargin);
    TitleLabel->setText(TitleLabel->CropText(ListBox()->ItemTitle(Index()), room));
    TitleLabel->setGeometry(Panel->geometry().right() + 1 + TitleLeftMargin, 0, room, height());
    CoverImageDataView->SetData(&ListBox()->ItemImage(Index()));
}

void TLastFMSearchListBoxItem::DoClick()
{
    TKeyScrolledListPanel::DoClick();
    if (ListBox()->OnItemClick)
        ListBox()->OnItemClick(Index());
}

void TLastFMSearchListBoxItem::paintEvent(QPaintEvent *Event)
{
    TKeyScrolledListPanel::paintEvent(Event);
    QPainter painter(this);
    painter.setPen(StyleColor(TStyleColor::Separator));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
