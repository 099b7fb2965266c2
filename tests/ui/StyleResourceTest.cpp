// The style resource holds every name the controls ask for: lookup names
// with a look, templates with the parts the controls find in them, bitmaps
// of the sizes drawn from.
#include "ui/StyleResourceUnit.h"

#include "UiTestSupport.h"

#include <QAbstractAnimation>
#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace {

class StyleResourceTest : public TStyledTest
{
};

TEST_F(StyleResourceTest, EveryLookupNameHasALook)
{
    const char *lookups[] = {"FieldStatusErrorPanelstyle", "FieldStatusOKPanelstyle", "VKLogoPanelStyle",
        "addedtrackButtonstyle", "addtrackButtonstyle", "addtrackblueButtonstyle", "addtrackbluedisButtonstyle",
        "artistimagestyle", "browsebuttonstyle", "controlPanelstyle", "coverimagePanelstyle", "deleteButtonStyle",
        "deltrackButtonstyle", "downloadButtonstyle", "enterbuttonstyle", "expanderstyle", "formtabbuttonstyle",
        "loadingprogressbarstyle", "mymusicButtonstyle", "notfoundtrackPanelstyle", "openfileButtonstyle",
        "pauseButtonstyle", "pauseminiButtonstyle", "pausetrackButtonstyle", "placeholderEditstyle", "playButtonstyle",
        "playlistPopupstyle", "playlistcontrolPanelstyle", "playminiButtonstyle", "playtrackButtonstyle",
        "saveButtonstyle", "savedTracksbuttonstyle", "savedisabledButtonstyle", "searchButtonstyle", "searchEditstyle",
        "searchalbumButtonstyle", "searchartistButtonstyle", "searchtrackButtonstyle", "settingsexpanderstyle",
        "tagalbumButtonstyle", "tagartistButtonstyle", "taggenreButtonstyle", "titleLabelstyle", "tooltipstyle",
        "updatebuttonstyle", "volumeButtonstyle", "volumeoffButtonstyle", "windowborderstyle"};
    const QString sheet = qApp->styleSheet();
    for (const char *lookup : lookups) {
        const QString name = QString::fromLatin1(lookup);
        EXPECT_TRUE(sheet.contains(QStringLiteral("[styleLookup=\"%1\"]").arg(name)) || HasStyleTemplate(name))
            << lookup;
    }
    EXPECT_FALSE(sheet.contains(u'@')) << "every colour role is filled in";
}

TEST_F(StyleResourceTest, TheTemplatesHoldThePartsTheControlsLookFor)
{
    const std::pair<const char *, std::vector<const char *>> templates[] = {
        {"controlPanelstyle",
            {"playbutton", "prevbutton", "nextbutton", "volumebutton", "repeatbutton", "shufflebutton",
                "playlistbutton", "volumetrackbar", "overlayimage", "hthumb"}},
        {"titleLabelstyle", {"artisttext", "titletext"}},
        {"loadingprogressbarstyle",
            {"innertrackbar", "hthumb", "track", "overlayimage2", "tail", "hindicator", "overlayimage", "animation"}},
        {"playlistcontrolPanelstyle",
            {"PlayButton", "PrevButton", "NextButton", "PlaylistProgressBar", "PlaylistDurationLabel",
                "PlaylistTitleLabel", "artisttext"}},
        {"expanderstyle", {"titlerect", "button", "ErrorIndicatorPanel"}},
        {"settingsexpanderstyle", {"titlerect", "button", "ErrorIndicatorPanel"}},
        {"tooltipstyle", {"text", "rect"}},
        {"artistimagestyle",
            {"artistimagecontainer", "artistimageanimation", "shadowsubimage", "shadowopacityanimation"}},
        {"searchEditstyle", {"buttons", "placeholder"}},
        {"placeholderEditstyle", {"placeholder", "WarningAnimation"}},
        {"windowborderstyle", {"settings", "logouttitlebutton", "title"}},
        {"coverimagePanelstyle", {"contentimage", "text", "ErrorIndicatorPanel"}},
        {"taggenreButtonstyle", {"text", "delbutton"}},
        {"tagartistButtonstyle", {"text", "delbutton"}},
        {"tagalbumButtonstyle", {"text", "delbutton"}},
    };
    for (const auto &[lookup, parts] : templates) {
        QWidget control;
        SetStyleLookup(&control, QString::fromLatin1(lookup));
        for (const char *part : parts)
            EXPECT_NE(control.findChild<QObject *>(QString::fromLatin1(part)), nullptr) << lookup << ": " << part;
    }
}

TEST_F(StyleResourceTest, ApplyingAgainMakesNewPartsAndForgetsTheOld)
{
    QWidget control;
    SetStyleLookup(&control, QStringLiteral("titleLabelstyle"));
    auto *first = control.findChild<QWidget *>(QStringLiteral("artisttext"));
    ASSERT_NE(first, nullptr);
    ApplyStyle(&control);
    auto *second = control.findChild<QWidget *>(QStringLiteral("artisttext"));
    EXPECT_NE(second, first);
    EXPECT_EQ(control.findChildren<QWidget *>(QStringLiteral("artisttext")).size(), 1);
    SetStyleLookup(&control, QStringLiteral("durationLabelstyle"));
    EXPECT_EQ(control.findChild<QWidget *>(QStringLiteral("artisttext")), nullptr) << "no template, no parts";
}

TEST_F(StyleResourceTest, AControlsOwnLayoutIsKept)
{
    // A box layout takes the parts first and keeps what it held.
    QWidget boxed;
    auto *box = new QHBoxLayout(&boxed);
    auto *own = new QLabel(QStringLiteral("own"));
    box->addWidget(own);
    SetStyleLookup(&boxed, QStringLiteral("titleLabelstyle"));
    EXPECT_EQ(boxed.layout(), box);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemAt(1)->widget(), own);

    // Any other layout is refused whole: nothing of the caller's is lost,
    // and parts it had stay.
    QWidget gridded;
    SetStyleLookup(&gridded, QStringLiteral("titleLabelstyle"));
    auto *oldParts = gridded.findChild<QWidget *>(QStringLiteral("artisttext"));
    delete gridded.layout();
    auto *grid = new QGridLayout(&gridded);
    auto *cell = new QLabel(QStringLiteral("cell"));
    grid->addWidget(cell, 0, 0);
    try {
        ApplyStyle(&gridded);
        ADD_FAILURE() << "a grid layout was taken";
    } catch (const Exception &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("titleLabelstyle needs a box layout"));
    }
    EXPECT_EQ(gridded.layout(), grid);
    EXPECT_EQ(grid->itemAtPosition(0, 0)->widget(), cell);
    EXPECT_EQ(gridded.findChild<QWidget *>(QStringLiteral("artisttext")), oldParts);
}

TEST_F(StyleResourceTest, EveryBitmapIsThereAtItsSize)
{
    struct TBitmap
    {
        const char *Name;
        int Width, Height;
    };
    const TBitmap bitmaps[] = {
        {"VirtualLoadingAnimationSpriteBitmap", 10 * 24, 24},
        {"HorizontalLoadingAnimationSpriteBitmap", 8 * 29, 20},
        {"addtrackbitmapobject", 20, 20},
        {"addedtrackbitmapobject", 20, 20},
        {"downloadcompletedbitmap", 28, 28},
        {"defaultartistimagebitmap", 120, 120},
        {"CoverImageDataViewDefaultBitmap", 120, 120},
        {"itembackgroundbitmap", 64, 32},
        {"activeitembackgroundbitmap", 64, 32},
        {"playingitembackgroundbitmap", 64, 32},
        {"flatitembackgroundbitmap", 64, 60},
        {"activeflatitembackgroundbitmap", 64, 60},
        {"playingflatitembackgroundbitmap", 64, 60},
        {"miniItembackgroundbitmap", 64, 24},
        {"activeminiItembackgroundbitmap", 64, 24},
        {"playingminiItembackgroundbitmap", 64, 24},
    };
    for (const auto &b : bitmaps) {
        const QPixmap bitmap = StyleBitmap(QString::fromLatin1(b.Name));
        EXPECT_EQ(bitmap.deviceIndependentSize().toSize(), QSize(b.Width, b.Height)) << b.Name;
        EXPECT_GE(bitmap.devicePixelRatio(), 2) << "drawn sharp for high-density screens: " << b.Name;
    }
}

} // namespace
