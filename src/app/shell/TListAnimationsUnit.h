#pragma once

#include <map>
#include <memory>

class TVirtualShapeAnimation;
struct TAudioDataAnimations;

// Runs the animations the track lists ask for (a row's track being added to
// My Music, a Last.fm track being looked up) and owns them until they end.
class TListAnimations
{
public:
    TListAnimations();
    ~TListAnimations();
    TListAnimations(const TListAnimations &) = delete;
    TListAnimations &operator=(const TListAnimations &) = delete;

    // The seam a list's data calls.
    TAudioDataAnimations Seam();
    int StartAddTrackAnimation();
    int StartLoadingAnimation();
    void StopAnimation(int AnimationID);
    int RunningCount() const { return static_cast<int>(FAnimations.size()); }

private:
    int Start(std::unique_ptr<TVirtualShapeAnimation> Animation);

    std::map<int, std::unique_ptr<TVirtualShapeAnimation>> FAnimations;
    // Lets a finish that is delivered late find this object gone.
    std::shared_ptr<TListAnimations *> FSelf;
};
