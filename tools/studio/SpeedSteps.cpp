#include "SpeedSteps.h"

namespace {

const float kSpeeds[SpeedSteps::COUNT] = {0.25f, 0.5f, 1.0f, 2.0f};
const char* const kLabels[SpeedSteps::COUNT] = {"0.25x", "0.5x", "1x", "2x"};

}  // namespace

bool SpeedSteps::slower()
{
    if (step == 0)
        return false;
    --step;
    return true;
}

bool SpeedSteps::faster()
{
    if (step == COUNT - 1)
        return false;
    ++step;
    return true;
}

float SpeedSteps::speed() const
{
    return kSpeeds[step];
}

const char* SpeedSteps::label() const
{
    return kLabels[step];
}
