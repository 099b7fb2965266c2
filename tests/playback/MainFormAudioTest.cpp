#include "app/ApplicationUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/AudioTestSupport.h"
#include "app/TMainFormUnit.h"

#include <gtest/gtest.h>

TEST(MainFormAudio, NoOutputStopsTheStartWithItsMessage)
{
    TAudioSinkOverride sink("nosuchsink");
    QString shown;
    Application::SetExceptionHandler([&](const QString &Message) { shown = Message; });
    EXPECT_THROW(THandleCreateExceptionForm::CreateForm<TMainForm>(), EProgramHalt);
    Application::SetExceptionHandler({});
    EXPECT_EQ(shown, QStringLiteral("Can't initialize device"));
}

TEST(MainFormAudio, TheWindowBringsTheOutputUpAndDown)
{
    {
        auto form = THandleCreateExceptionForm::CreateForm<TMainForm>();
        EXPECT_NE(AudioLibrary::StreamCreateFile(AudioFixture("tone1s.mp3")), 0u);
    }
    EXPECT_EQ(AudioLibrary::StreamCreateFile(AudioFixture("tone1s.mp3")), 0u) << "released with the window";
}
