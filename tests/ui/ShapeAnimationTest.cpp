// Animations against a clock the test sets: frames from elapsed time, loops,
// pause, the shared tick timer, views and the add-track phases.
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/animations/TVirtualAddTrackAnimationUnit.h"

#include "UiTestSupport.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace {

class ShapeAnimationTest : public TStyledTest
{
protected:
    quint64 Now = 1000;
    TShapeAnimationTickTimer *Timer = GetInstance<TShapeAnimationTickTimer>();

    void SetUp() override
    {
        TShapeAnimationTickTimer::SetClock([this] { return Now; });
    }
    void TearDown() override { TShapeAnimationTickTimer::SetClock({}); }

    // Moves the clock on and ticks once.
    void At(quint64 Elapsed, quint64 Start = 1000)
    {
        Now = Start + Elapsed;
        Timer->Tick();
    }
};

TEST_F(ShapeAnimationTest, FramesFollowTheElapsedTime)
{
    struct TCase
    {
        quint64 Elapsed;
        int Frame;
    };
    // 500 ms for frames 0..9: a frame each 55.6 ms, rounded to the nearest.
    TVirtualLoadingAnimation loader;
    loader.Start();
    for (const auto &c : {TCase {0, 0}, TCase {27, 0}, TCase {28, 1}, TCase {250, 5}, TCase {444, 8}}) {
        At(c.Elapsed);
        EXPECT_EQ(loader.Value(), c.Frame) << c.Elapsed << " ms";
    }
    // A late tick skips frames instead of slowing down.
    THorizontalLoadingAnimation strip(nullptr);
    Now = 1000;
    strip.Start();
    At(10);
    EXPECT_EQ(strip.Value(), 0);
    At(560);
    EXPECT_EQ(strip.Value(), 6);
}

TEST_F(ShapeAnimationTest, ALoopShowsTheLastFrameForOneTickThenStartsAgain)
{
    TVirtualLoadingAnimation loader;
    loader.Start();
    At(500);
    EXPECT_EQ(loader.Value(), 9);
    EXPECT_EQ(loader.State(), asRunning);
    At(510);
    EXPECT_EQ(loader.Value(), 0);
    At(510 + 250);
    EXPECT_EQ(loader.Value(), 5);
}

TEST_F(ShapeAnimationTest, PauseAndResumeContinueFromTheSameFrame)
{
    THorizontalLoadingAnimation strip(nullptr);
    strip.Start();
    At(325);
    EXPECT_EQ(strip.Value(), 4);
    strip.Pause();
    At(2325);
    EXPECT_EQ(strip.Value(), 4) << "a paused animation is not ticked";
    strip.Resume();
    At(2325);
    EXPECT_EQ(strip.Value(), 4);
    At(2325 + 93);
    EXPECT_EQ(strip.Value(), 5);
}

TEST_F(ShapeAnimationTest, TheTickTimerRunsOnlyWhileAnAnimationRuns)
{
    EXPECT_FALSE(Timer->IsActive());
    {
        TVirtualLoadingAnimation loader;
        THorizontalLoadingAnimation strip(nullptr);
        loader.Start();
        strip.Start();
        EXPECT_TRUE(Timer->IsActive());
        loader.Stop();
        EXPECT_TRUE(Timer->IsActive());
        strip.Stop();
        EXPECT_FALSE(Timer->IsActive());
        loader.Start();
        EXPECT_TRUE(Timer->IsActive());
    }
    EXPECT_FALSE(Timer->IsActive()) << "a freed animation leaves the timer";
}

TEST_F(ShapeAnimationTest, RunningVirtualAnimationsAreFoundByClassAndIdentifier)
{
    auto *table = GetInstance<TVirtualShapeAnimationTable>();
    TVirtualLoadingAnimation loader;
    TVirtualHorizontalLoadingAnimation strip;
    EXPECT_NE(loader.ID(), strip.ID());
    TVirtualShapeAnimation *found = nullptr;
    EXPECT_FALSE(table->TryGetAnimation(loader.ClassType(), loader.ID(), found));
    loader.Start();
    strip.Start();
    ASSERT_TRUE(table->TryGetAnimation(typeid(TVirtualLoadingAnimation), loader.ID(), found));
    EXPECT_EQ(found, &loader);
    EXPECT_FALSE(table->TryGetAnimation(typeid(TVirtualLoadingAnimation), strip.ID(), found));
    int finished = 0;
    loader.OnFinish = [&](TObject *Sender) {
        EXPECT_EQ(Sender, &loader);
        ++finished;
    };
    loader.Stop();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(table->TryGetAnimation(typeid(TVirtualLoadingAnimation), loader.ID(), found));
}

TEST_F(ShapeAnimationTest, AViewShowsOneAnimationAndNeverAFreedOne)
{
    TVirtualLoadingAnimation first;
    TVirtualLoadingAnimation second;
    auto view = std::make_unique<TVirtualShapeAnimationView>();
    first.AttachView(view.get());
    EXPECT_EQ(view->Animation(), &first);
    // The pooled row is re-targeted at another track's animation.
    second.AttachView(view.get());
    EXPECT_EQ(view->Animation(), &second);
    EXPECT_EQ(first.View(), nullptr) << "the first animation no longer draws into the row";
    // Back on the first track: its still running animation comes back.
    first.AttachView(view.get());
    EXPECT_EQ(second.View(), nullptr);
    view.reset();
    EXPECT_EQ(first.View(), nullptr);

    TVirtualShapeAnimationView other;
    {
        TVirtualLoadingAnimation shortLived;
        shortLived.AttachView(&other);
    }
    EXPECT_EQ(other.Animation(), nullptr);
    QImage canvas(24, 24, QImage::Format_ARGB32_Premultiplied);
    other.render(&canvas); // paints nothing, and does not touch the freed animation
}

TEST_F(ShapeAnimationTest, EachLoaderFrameDrawsItsOwnPartOfTheSprite)
{
    TVirtualLoadingAnimation loader;
    TVirtualShapeAnimationView view;
    view.resize(24, 24);
    loader.AttachView(&view);
    loader.Start();
    QImage blank(24, 24, QImage::Format_ARGB32_Premultiplied);
    blank.fill(Qt::transparent);
    QList<QImage> frames;
    for (int frame = 0; frame <= 9; ++frame) {
        At(quint64(frame * 500 / 9.0 + 0.5));
        ASSERT_EQ(loader.Value(), frame % 10);
        QImage image(24, 24, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        view.render(&image);
        EXPECT_NE(image, blank) << frame;
        EXPECT_FALSE(frames.contains(image)) << "frame " << frame << " repeats another";
        frames.append(image);
    }
}

TEST_F(ShapeAnimationTest, TheAddTrackAnimationWalksItsPhases)
{
    TVirtualAddTrackAnimation animation;
    bool ended = false;
    animation.OnFinish = [&](TObject *) { ended = true; };
    animation.Start();
    EXPECT_EQ(animation.Phase(), apFadingIn);
    At(400);
    EXPECT_EQ(animation.Phase(), apPending1);
    At(400 + 1000);
    EXPECT_EQ(animation.Phase(), apChanging);
    At(1400 + 400);
    EXPECT_EQ(animation.Phase(), apPending2);
    At(1800 + 1000);
    EXPECT_EQ(animation.Phase(), apFadingOut);
    EXPECT_FALSE(ended);
    At(2800 + 400);
    EXPECT_TRUE(ended);
    EXPECT_EQ(animation.State(), asStopped);
    EXPECT_FALSE(Timer->IsActive());
}

TEST_F(ShapeAnimationTest, HoveringHurriesTheAddTrackAnimation)
{
    {
        // During the fade-in: straight to the icon at rest, then on to the change.
        TVirtualAddTrackAnimation animation;
        animation.Start();
        At(100);
        animation.SetIsMouseIn(true);
        EXPECT_EQ(animation.Phase(), apPending1);
        EXPECT_EQ(animation.State(), asRunning);
        At(100 + 1000);
        EXPECT_EQ(animation.Phase(), apChanging);
        // With the pointer still there the change is the last phase.
        bool ended = false;
        animation.OnFinish = [&](TObject *) { ended = true; };
        At(1100 + 400);
        EXPECT_TRUE(ended);
    }
    {
        // During the fade-out: ends at once.
        TVirtualAddTrackAnimation animation;
        bool ended = false;
        animation.OnFinish = [&](TObject *) { ended = true; };
        animation.Start();
        for (quint64 t : {400, 1400, 1800, 2800, 2900})
            At(t);
        ASSERT_EQ(animation.Phase(), apFadingOut);
        animation.SetIsMouseIn(true);
        EXPECT_TRUE(ended);
        EXPECT_EQ(animation.State(), asStopped);
    }
    {
        // A phase cannot be changed while it runs.
        TVirtualAddTrackAnimation animation;
        animation.Start();
        animation.SetPhase(apFadingOut);
        EXPECT_EQ(animation.Phase(), apFadingIn);
    }
}

TEST_F(ShapeAnimationTest, TheAddTrackIconsSlideAsWritten)
{
    // Where the "add" icon's ink is at the middle of the fade-in: X 25..45 of 60.
    TVirtualAddTrackAnimation animation;
    TVirtualShapeAnimationView view;
    view.resize(60, 20);
    animation.AttachView(&view);
    animation.Start();
    At(200);
    ASSERT_EQ(animation.Value(), 10);
    QImage image(60, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image);
    int left = 60, right = -1;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 20; ++y)
            if (qAlpha(image.pixel(x, y)) > 0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GE(left, 25);
    EXPECT_LE(right, 45);
    EXPECT_GT(right - left, 8);
}

TEST_F(ShapeAnimationTest, AMissingBitmapIsNamed)
{
    try {
        StyleBitmap(QStringLiteral("nosuchspritebitmap"));
        FAIL() << "no error";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("nosuchspritebitmap not found in style"));
    }
    for (const char *name : {"VirtualLoadingAnimationSpriteBitmap", "HorizontalLoadingAnimationSpriteBitmap",
             "addtrackbitmapobject", "addedtrackbitmapobject"})
        EXPECT_FALSE(StyleBitmap(QString::fromLatin1(name)).isNull()) << name;
}

} // namespace
