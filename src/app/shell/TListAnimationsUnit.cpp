#include "app/shell/TListAnimationsUnit.h"

#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/animations/TVirtualAddTrackAnimationUnit.h"

#include <QTimer>

TListAnimations::TListAnimations() :
      FSelf(std::make_shared<TListAnimations *>(this))
{
}

TListAnimations::~TListAnimations()
{
    *FSelf = nullptr;
}

TAudioDataAnimations TListAnimations::Seam()
{
    TAudioDataAnimations seam;
    seam.StartAddTrackAnimation = [this] { return StartAddTrackAnimation(); };
    seam.StartLoadingAnimation = [this] { return StartLoadingAnimation(); };
    seam.StopAnimation = [this](int AnimationID) { StopAnimation(AnimationID); };
    return seam;
}

int TListAnimations::StartAddTrackAnimation()
{
    return Start(std::make_unique<TVirtualAddTrackAnimation>());
}

int TListAnimations::StartLoadingAnimation()
{
    auto animation = std::make_unique<TVirtualLoadingAnimation>();
    animation->IsLooped = true;
    return Start(std::move(animation));
}

void TListAnimations::StopAnimation(int AnimationID)
{
    const auto found = FAnimations.find(AnimationID);
    if (found == FAnimations.end())
        return;
    // Out of the map first: stopping raises its finish, which comes back here.
    std::unique_ptr<TVirtualShapeAnimation> animation = std::move(found->second);
    FAnimations.erase(found);
    animation->OnFinish = nullptr;
    animation->Stop();
}

int TListAnimations::Start(std::unique_ptr<TVirtualShapeAnimation> Animation)
{
    const int id = Animation->ID();
    // A finished add-track animation is freed once its last frame has been
    // handled; a looped one raises its finish on every round and goes only
    // when stopped.
    if (!Animation->IsLooped)
        Animation->OnFinish = [self = FSelf, id](TObject *) {
            QTimer::singleShot(0, [self, id] {
                if (*self)
                    (*self)->FAnimations.erase(id);
            });
        };
    Animation->Start();
    FAnimations.emplace(id, std::move(Animation));
    return id;
}
