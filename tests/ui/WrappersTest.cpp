// The control wrappers on real styled controls, offscreen: their state rules,
// the tooltip's placement and the exact texts of missing parts.
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/wrappers/TArtistImageWrapperUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TMetaDataBlockExpanderWrapperUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"
#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"
#include "ui/wrappers/TSearchEditWrapperUnit.h"
#include "ui/wrappers/TTitleLabelWrapperUnit.h"
#include "ui/wrappers/TTooltipUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "support/TestEnvironment.h"

#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

namespace {

template<class TControl = QWidget> TControl *Make(QWidget *Form, const QString &Lookup)
{
    auto *control = new TControl(Form);
    SetStyleLookup(control, Lookup);
    return control;
}

class WrappersTest : public TStyledTest
{
protected:
    QWidget Form;

    template<class TControl = QWidget> TControl *Styled(const QString &Lookup) { return Make<TControl>(&Form, Lookup); }

    static void ExpectError(const std::function<void()> &Action, const QString &Text)
    {
        try {
            Action();
            ADD_FAILURE() << "no error, expected " << Text.toStdString();
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message(), Text);
        }
    }
};

TEST_F(WrappersTest, MutingParksTheVolumeAndUnmutingBringsItBack)
{
    auto *bar = Styled(QStringLiteral("controlPanelstyle"));
    TPlayerControlsPanelWrapper wrapper(&Form, bar);
    int volumeEvents = 0, muteEvents = 0;
    wrapper.OnVolumeTrackBarChange = [&](QObject *Sender) {
        EXPECT_EQ(Sender, wrapper.VolumeTrackBar());
        ++volumeEvents;
    };
    wrapper.OnMuteButtonStateChange = [&](QObject *Sender) {
        EXPECT_EQ(Sender, wrapper.MuteButton());
        ++muteEvents;
    };
    wrapper.VolumeTrackBar()->setValue(70);
    EXPECT_EQ(volumeEvents, 1);

    wrapper.MuteButton()->click();
    EXPECT_EQ(wrapper.MuteButtonState(), mbMuted);
    EXPECT_EQ(wrapper.VolumeTrackBar()->value(), 0);
    EXPECT_EQ(GetStyleLookup(wrapper.MuteButton()), QStringLiteral("volumeoffButtonstyle"));
    EXPECT_EQ(volumeEvents, 1) << "muting is not a volume change";
    wrapper.MuteButton()->click();
    EXPECT_EQ(wrapper.MuteButtonState(), mbNotMuted);
    EXPECT_EQ(wrapper.VolumeTrackBar()->value(), 70);
    EXPECT_EQ(GetStyleLookup(wrapper.MuteButton()), QStringLiteral("volumeButtonstyle"));
    EXPECT_EQ(muteEvents, 2);
    EXPECT_EQ(volumeEvents, 1);

    // Moving the slider while muted unmutes and keeps the new volume.
    wrapper.SetMuteButtonState(mbMuted);
    wrapper.VolumeTrackBar()->setValue(40);
    EXPECT_EQ(wrapper.MuteButtonState(), mbNotMuted);
    EXPECT_EQ(wrapper.VolumeTrackBar()->value(), 40);
    EXPECT_EQ(volumeEvents, 2);
    EXPECT_EQ(muteEvents, 4);
}

TEST_F(WrappersTest, PlayerBarButtonsAndTheVolumeOverlay)
{
    auto *bar = Styled(QStringLiteral("controlPanelstyle"));
    bar->resize(400, 36);
    Form.resize(400, 36);
    Form.show();
    TPlayerControlsPanelWrapper wrapper(&Form, bar);
    wrapper.SetPlayPauseButtonState(pbPause);
    EXPECT_EQ(GetStyleLookup(wrapper.PlayPauseButton()), QStringLiteral("pauseButtonstyle"));
    wrapper.SetPlayPauseButtonState(pbPlay);
    EXPECT_EQ(GetStyleLookup(wrapper.PlayPauseButton()), QStringLiteral("playButtonstyle"));
    for (auto *button : {wrapper.RepeatButton(), wrapper.ShuffleButton(), wrapper.PlaylistButton()}) {
        EXPECT_TRUE(button->isCheckable());
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus);
    }
    wrapper.VolumeTrackBar()->setValue(0);
    const int low = wrapper.VolumeTrackBarOverlay()->width();
    wrapper.VolumeTrackBar()->setValue(100);
    EXPECT_GT(wrapper.VolumeTrackBarOverlay()->width(), low + 40) << "the filled part follows the knob";
}

TEST_F(WrappersTest, TheBusyIndicatorBridgesShortGaps)
{
    InitializeLocalizationManager();
    auto *edit = Styled<QLineEdit>(QStringLiteral("searchEditstyle"));
    THorizontalLoadingAnimation indicator(&Form);
    TSearchEditWrapper wrapper(&Form, &indicator, edit);
    EXPECT_EQ(wrapper.PlaceHolder()->text(), LocalizationManager->getValue(QStringLiteral("SearchEdit_Placeholder")));
    EXPECT_FALSE(wrapper.IsIndicatorOn());

    wrapper.TaskStarted();
    EXPECT_TRUE(wrapper.IsIndicatorOn());
    wrapper.TaskFinished();
    EXPECT_TRUE(wrapper.IsIndicatorOn()) << "stays on for the gap";
    wrapper.TaskStarted();
    wrapper.TaskStarted();
    wrapper.TaskFinished();
    EXPECT_TRUE(wrapper.IsIndicatorOn());
    wrapper.TaskFinished();
    EXPECT_TRUE(wrapper.IsIndicatorOn());
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !wrapper.IsIndicatorOn(); }));
    EXPECT_TRUE(indicator.isHidden());
    wrapper.TaskFinished();
    EXPECT_EQ(wrapper.TasksCount(), 0) << "an extra finish does not go below zero";
    FinalizeLocalizationManager();
}

TEST_F(WrappersTest, ThePlaceholderLeavesWhileTheBoxIsInUse)
{
    InitializeLocalizationManager();
    auto *edit = Styled<QLineEdit>(QStringLiteral("searchEditstyle"));
    auto *other = new QLineEdit(&Form);
    Form.show();
    THorizontalLoadingAnimation indicator(&Form);
    TSearchEditWrapper wrapper(&Form, &indicator, edit);
    EXPECT_FALSE(wrapper.PlaceHolder()->isHidden());
    edit->setFocus(Qt::TabFocusReason);
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &in);
    EXPECT_TRUE(wrapper.PlaceHolder()->isHidden()) << "reached with the keyboard";
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
    EXPECT_FALSE(wrapper.PlaceHolder()->isHidden());
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_TRUE(wrapper.PlaceHolder()->isHidden());
    edit->setText(QStringLiteral("query"));
    QApplication::sendEvent(edit, &out);
    EXPECT_TRUE(wrapper.PlaceHolder()->isHidden()) << "text stays without the placeholder over it";
    delete other;
    FinalizeLocalizationManager();
}

TEST_F(WrappersTest, TheTitleLineFitsArtistAndTitle)
{
    auto *line = Styled(QStringLiteral("titleLabelstyle"));
    line->resize(200, 20);
    Form.show();
    TTitleLabelWrapper wrapper(&Form, true, line);
    EXPECT_TRUE(wrapper.ArtistText()->font().underline());

    wrapper.SetText(QStringLiteral("Artist"), QStringLiteral("Song"));
    EXPECT_EQ(wrapper.ArtistText()->text(), QStringLiteral("Artist"));
    EXPECT_EQ(wrapper.TitleText()->text(), QStringLiteral("– Song"));
    EXPECT_LE(wrapper.ArtistText()->width() + wrapper.TitleText()->width(), 200);

    const QString longArtist = QStringLiteral("An Extremely Long Artist Name That Never Ends ").repeated(3);
    wrapper.SetText(longArtist, QStringLiteral("Song"));
    EXPECT_TRUE(wrapper.ArtistText()->text().endsWith(QStringLiteral("…")));
    EXPECT_TRUE(wrapper.TitleText()->text().isEmpty()) << "no room left for the title";
    EXPECT_LE(wrapper.ArtistText()->width(), 200);

    line->resize(2000, 20);
    EXPECT_EQ(wrapper.ArtistText()->text(), longArtist) << "a resize fits both again";
    EXPECT_EQ(wrapper.TitleText()->text(), QStringLiteral("– Song"));

    // Text from the network is never markup.
    wrapper.SetText(QStringLiteral("<b>x</b>"), QStringLiteral("<img src=\"http://127.0.0.1/a.png\">"));
    EXPECT_EQ(wrapper.ArtistText()->textFormat(), Qt::PlainText);
    EXPECT_EQ(wrapper.TitleText()->textFormat(), Qt::PlainText);
    EXPECT_EQ(wrapper.ArtistText()->text(), QStringLiteral("<b>x</b>"));

    int clicks = 0;
    wrapper.OnArtistTextClick = [&](QObject *) { ++clicks; };
    QTest::mouseClick(wrapper.ArtistText(), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    wrapper.Clear();
    EXPECT_TRUE(wrapper.ArtistText()->text().isEmpty());
}

TEST_F(WrappersTest, ThePlaylistPanelGivesEverythingAgainToNewParts)
{
    auto *panel = Styled(QStringLiteral("playlistcontrolPanelstyle"));
    panel->resize(360, 40);
    TPlaylistControlsPanelWrapper wrapper(&Form, panel, &Form);
    int plays = 0;
    wrapper.setPlayPauseButtonClickEvent([&](QObject *) { ++plays; });
    wrapper.SetPlayPauseButtonState(pbPause);
    wrapper.setProgressBarTrackBarMax(300);
    wrapper.setProgressBarTrackBarValue(120);
    wrapper.setProgressBarValue(60);
    wrapper.setProgressBarEnabled(true);
    wrapper.setProgressBarTrackBarVisible(true);
    wrapper.TitleLabel()->SetText(QStringLiteral("Artist"), QStringLiteral("Song"));
    auto *oldButton = wrapper.PlayPauseButton();

    ApplyStyle(panel);
    ASSERT_NE(wrapper.PlayPauseButton(), oldButton);
    EXPECT_EQ(GetStyleLookup(wrapper.PlayPauseButton()), QStringLiteral("pauseminiButtonstyle"));
    auto *slider = wrapper.LoadingProgressBar()->TrackBar();
    EXPECT_EQ(slider->maximum(), 300);
    EXPECT_EQ(slider->value(), 120);
    EXPECT_FALSE(slider->isHidden());
    EXPECT_EQ(wrapper.LoadingProgressBar()->ProgressBar()->value(), 60);
    EXPECT_TRUE(wrapper.LoadingProgressBar()->ProgressBar()->isEnabled());
    EXPECT_EQ(wrapper.TitleLabel()->Artist(), QStringLiteral("Artist"));
    EXPECT_EQ(wrapper.TitleLabel()->FontSize(), 11);
    wrapper.PlayPauseButton()->click();
    EXPECT_EQ(plays, 1) << "the handler is bound to the new button, once";
}

TEST_F(WrappersTest, TheSeekBarStartsHiddenAndThePlayedPartFollowsTheKnob)
{
    auto *bar = Styled<QProgressBar>(QStringLiteral("loadingprogressbarstyle"));
    bar->resize(300, 12);
    Form.resize(320, 40);
    Form.show();
    TLoadingProgressBarWrapper wrapper(&Form, bar);
    EXPECT_FALSE(bar->isEnabled());
    EXPECT_TRUE(wrapper.TrackBar()->isHidden());
    EXPECT_EQ(wrapper.PlayingProgressOverlayImage()->width(), 0);
    wrapper.ShowTrackBar();
    bar->setEnabled(true);
    wrapper.TrackBar()->setRange(0, 100);
    wrapper.TrackBar()->setValue(50);
    EXPECT_EQ(wrapper.PlayingProgressOverlayImage()->width(), wrapper.TrackBar()->ThumbX());
    EXPECT_GT(wrapper.PlayingProgressOverlayImage()->width(), 100);
    wrapper.StartLoadingAnimation();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(wrapper.LoadingAnimation()->state(), QAbstractAnimation::Running);
    wrapper.StopLoadingAnimation();
    EXPECT_EQ(wrapper.LoadingAnimation()->state(), QAbstractAnimation::Stopped);
}

TEST_F(WrappersTest, AnExpanderInErrorModeStaysClosed)
{
    auto *expander = new TExpander(&Form);
    expander->SetText(QStringLiteral("Biography"));
    Form.resize(300, 200);
    expander->resize(300, 200);
    Form.show();
    TMetaDataBlockExpanderWrapper wrapper(&Form, expander);
    wrapper.SetMode(mdemNormal);
    EXPECT_TRUE(expander->IsExpanded());
    QTest::mouseClick(wrapper.TitleRect(), Qt::LeftButton);
    EXPECT_FALSE(expander->IsExpanded());
    wrapper.Button()->click();
    EXPECT_TRUE(expander->IsExpanded());

    wrapper.SetErrorIndicatorHint(QStringLiteral("Request failed"));
    wrapper.SetMode(mdemError);
    EXPECT_FALSE(expander->IsExpanded());
    EXPECT_TRUE(wrapper.Button()->isHidden());
    EXPECT_FALSE(wrapper.ErrorIndicator()->isHidden());
    EXPECT_EQ(wrapper.ErrorIndicator()->property(HintProperty).toString(), QStringLiteral("Request failed"));
    QTest::mouseClick(wrapper.TitleRect(), Qt::LeftButton);
    EXPECT_FALSE(expander->IsExpanded()) << "clicks do nothing in error mode";

    // The loader's view shows exactly while it runs, and survives a new style.
    wrapper.StartLoadingAnimation();
    EXPECT_FALSE(wrapper.AnimationView()->isHidden());
    ApplyStyle(expander);
    EXPECT_FALSE(wrapper.AnimationView()->isHidden());
    EXPECT_EQ(wrapper.AnimationView()->Animation(), wrapper.LoadingAnimation());
    EXPECT_FALSE(wrapper.ErrorIndicator()->isHidden()) << "the mode is given to the new parts";
    wrapper.StopLoadingAnimation();
    EXPECT_TRUE(wrapper.AnimationView()->isHidden());
}

class TooltipTest : public WrappersTest
{
protected:
    QWidget *TooltipPanel = nullptr;
    std::unique_ptr<TTooltipControlWrapper> Wrapper;

    void SetUp() override
    {
        Form.resize(400, 300);
        TooltipPanel = Styled(QStringLiteral("tooltipstyle"));
        TooltipPanel->hide();
        Wrapper = std::make_unique<TTooltipControlWrapper>(&Form, TooltipPanel);
    }

    QWidget *ControlAt(int X, int Y, int Width, int Height)
    {
        auto *control = new QWidget(&Form);
        control->setGeometry(X, Y, Width, Height);
        return control;
    }
};

TEST_F(TooltipTest, PlacedOverTheControlAndKeptInsideTheForm)
{
    struct TCase
    {
        QRect Control;
        const char *Text;
        bool Below;
    };
    const TCase cases[] = {
        {QRect(150, 150, 100, 24), "Download", false}, // wide: centred over it
        {QRect(180, 150, 24, 24), "Play", false}, // narrow: starts 10 to its left
        {QRect(372, 150, 24, 24), "Delete from My Music", false}, // at the right edge
        {QRect(2, 150, 24, 24), "Add to My Music", false}, // at the left edge
        {QRect(150, 0, 100, 24), "Settings", true}, // at the top: below it
    };
    for (const auto &c : cases) {
        auto *control = ControlAt(c.Control.x(), c.Control.y(), c.Control.width(), c.Control.height());
        Wrapper->Show(control, QString::fromUtf8(c.Text));
        const QRect tip = TooltipPanel->geometry();
        EXPECT_TRUE(Wrapper->IsVisible());
        EXPECT_GE(tip.left(), 10) << c.Text;
        EXPECT_LE(tip.right() + 1, 400 - 10) << c.Text;
        // The callout points at the control's centre.
        const int tipCentre = tip.left() + Wrapper->Rect()->CalloutOffset() + TCalloutRectangle::CalloutWidth / 2;
        EXPECT_NEAR(tipCentre, c.Control.center().x(), 1) << c.Text;
        if (c.Below) {
            EXPECT_EQ(tip.top(), c.Control.bottom() + 1) << c.Text;
            EXPECT_EQ(Wrapper->Rect()->CalloutPosition(), TCalloutRectangle::cpTop);
        } else {
            EXPECT_EQ(tip.bottom() + 1, c.Control.top()) << c.Text;
            EXPECT_EQ(Wrapper->Rect()->CalloutPosition(), TCalloutRectangle::cpBottom);
        }
        EXPECT_EQ(Wrapper->Text()->text(), QString::fromUtf8(c.Text));
        if (c.Control.width() <= 40 && c.Control.x() > 20 && c.Control.x() < 300) {
            EXPECT_EQ(tip.left(), c.Control.x() - 10);
        }
    }
}

TEST_F(TooltipTest, ATooltipWiderThanTheFormStartsAtTen)
{
    auto *control = ControlAt(300, 150, 24, 24);
    Wrapper->Show(control, QStringLiteral("A hint much longer than the whole narrow form is wide, on and on"));
    EXPECT_GT(TooltipPanel->width(), 400 - 20);
    EXPECT_EQ(TooltipPanel->x(), 10);
}

TEST_F(TooltipTest, ShownAfterARestAndMovedAtOnceBetweenControls)
{
    auto *first = ControlAt(50, 100, 80, 24);
    auto *second = ControlAt(200, 100, 80, 24);
    first->setProperty(HintProperty, QStringLiteral("First"));
    Form.show();
    QApplication::setActiveWindow(&Form);
    TTooltip tooltip(&Form, Wrapper.get());
    int asked = 0;
    tooltip.BeforeShow = [&](TObject *) {
        ++asked;
        if (tooltip.PointedControl() == second)
            tooltip.Text = QStringLiteral("Second");
    };
    QCursor::setPos(Form.mapToGlobal(first->geometry().center()));
    tooltip.Tick();
    EXPECT_FALSE(Wrapper->IsVisible()) << "not on the first tick";
    tooltip.Tick();
    EXPECT_TRUE(Wrapper->IsVisible());
    EXPECT_EQ(Wrapper->Text()->text(), QStringLiteral("First"));
    EXPECT_FALSE(tooltip.IsTicking()) << "at rest, the clock stops";

    QCursor::setPos(Form.mapToGlobal(second->geometry().center()));
    tooltip.Tick();
    EXPECT_TRUE(Wrapper->IsVisible()) << "follows at once while one shows";
    EXPECT_EQ(Wrapper->Text()->text(), QStringLiteral("Second"));

    QCursor::setPos(Form.mapToGlobal(QPoint(390, 290)));
    tooltip.Tick();
    EXPECT_FALSE(Wrapper->IsVisible()) << "the form itself has no hint";
    EXPECT_GT(asked, 0);
}

// An artist picture source that answers when the test says so.
class TArtistImages : public IArtistImageSource
{
public:
    std::map<quint32, TResultEvent> Pending;
    quint32 NextID = 7;
    quint32 StartArtistImageGetter(const QString &, TResultEvent OnResult) override
    {
        Pending[NextID] = std::move(OnResult);
        return NextID++;
    }
};

TEST_F(WrappersTest, OnlyTheLastArtistPictureIsShown)
{
    auto *picture = Styled(QStringLiteral("artistimagestyle"));
    picture->resize(64, 64);
    Form.show();
    TArtistImages images;
    TArtistImageWrapper wrapper(&Form, picture, images);
    EXPECT_TRUE(wrapper.IsDefaultBitmapSet());
    wrapper.SetArtist(QStringLiteral("First"));
    wrapper.SetArtist(QStringLiteral("Second"));
    ASSERT_EQ(images.Pending.size(), 2u);
    images.Pending[8](8, true, TestEnvironment::PngPicture(Qt::red));
    images.Pending[7](7, true, TestEnvironment::PngPicture(Qt::blue));
    EXPECT_FALSE(wrapper.IsDefaultBitmapSet());
    EXPECT_EQ(wrapper.ImageAnimation()->StopBitmap.toImage().pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(wrapper.ShadowAnimation()->direction(), QAbstractAnimation::Backward);

    // Garbage instead of a picture falls back to the default one.
    wrapper.SetArtist(QStringLiteral("Third"));
    images.Pending[9](9, true, QByteArray("<html>not a picture</html>"));
    EXPECT_TRUE(wrapper.IsDefaultBitmapSet());
    EXPECT_EQ(wrapper.ShadowAnimation()->direction(), QAbstractAnimation::Forward);
}

TEST_F(WrappersTest, AMissingPartIsNamedExactly)
{
    struct TCase
    {
        const char *Lookup;
        std::function<void(QWidget *Form, const QString &Lookup)> Make;
        const char *Text;
    };
    static TArtistImages images;
    const TCase cases[] = {
        {"titleLabelstyle",
            [](QWidget *F, const QString &L) {
                TPlayerControlsPanelWrapper {F, Make(F, L)};
            },
            "playbutton not found in titleLabelstyle"},
        {"controlPanelstyle",
            [](QWidget *F, const QString &L) {
                TTitleLabelWrapper {F, false, Make(F, L)};
            },
            "artisttext not found in controlPanelstyle"},
        {"titleLabelstyle",
            [](QWidget *F, const QString &L) {
                TLoadingProgressBarWrapper {F, Make<QProgressBar>(F, L)};
            },
            "innertrackbar not found inside of titleLabelstyle"},
        {"controlPanelstyle",
            [](QWidget *F, const QString &L) {
                TPlaylistControlsPanelWrapper {F, Make(F, L), F};
            },
            "PlayButton not found in controlPanelstyle"},
        {"titleLabelstyle",
            [](QWidget *F, const QString &L) {
                TTooltipControlWrapper {F, Make(F, L)};
            },
            "text not found inside titleLabelstyle"},
        {"titleLabelstyle",
            [](QWidget *F, const QString &L) {
                TArtistImageWrapper {F, Make(F, L), images};
            },
            "artistimagecontainer not found inside of titleLabelstyle"},
        {"titleLabelstyle",
            [](QWidget *F, const QString &L) {
                THorizontalLoadingAnimation indicator(F);
                TSearchEditWrapper {F, &indicator, Make<QLineEdit>(F, L)};
            },
            "buttons not found in titleLabelstyle"},
        // Parts inside parts.
        {"controlPanelstyle",
            [](QWidget *F, const QString &L) {
                auto *bar = Make(F, L);
                delete bar->findChild<QWidget *>(QStringLiteral("overlayimage"));
                TPlayerControlsPanelWrapper {F, bar};
            },
            "overlayimage not found in controlPanelstyle"},
        {"artistimagestyle",
            [](QWidget *F, const QString &L) {
                auto *picture = Make(F, L);
                delete picture->findChild<QObject *>(QStringLiteral("shadowopacityanimation"));
                TArtistImageWrapper {F, picture, images};
            },
            "shadowopacityanimation not found inside of shadowsubimagestyle"},
        {"artistimagestyle",
            [](QWidget *F, const QString &L) {
                auto *picture = Make(F, L);
                delete picture->findChild<QObject *>(QStringLiteral("artistimageanimation"));
                TArtistImageWrapper {F, picture, images};
            },
            "artistimageanimation not found inside of artistimagecontainer"},
        // A part of the wrong class counts as missing.
        {"loadingprogressbarstyle",
            [](QWidget *F, const QString &L) {
                TTitleLabelWrapper {F, false, Make<QProgressBar>(F, L)};
            },
            "artisttext not found in loadingprogressbarstyle"},
    };
    for (const auto &c : cases)
        ExpectError([&] { c.Make(&Form, QString::fromLatin1(c.Lookup)); }, QString::fromUtf8(c.Text));

    // Wrappers that look up on each application raise it then.
    auto *expander = new TExpander(&Form);
    TMetaDataBlockExpanderWrapper wrapper(&Form, expander);
    ExpectError([&] { SetStyleLookup(expander, QStringLiteral("tooltipstyle")); },
        QStringLiteral("titlerect not found inside tooltipstyle"));
}

} // namespace
