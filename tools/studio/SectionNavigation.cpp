#include "SectionNavigation.h"

#include <algorithm>  // Required for: std::min(), std::max()

#include "LoadObject.h"

int SectionNavigation::lastMs()
{
    return LoadObject::RUN_LENGTH_MS - 2 * FRAME_MS;
}

int SectionNavigation::demoTimeOfMusic(int musicTimeMs)
{
    return LoadObject::PRE_ROLL_MS + musicTimeMs;
}

bool SectionNavigation::inPreRoll(int demoMs)
{
    return demoMs < LoadObject::PRE_ROLL_MS;
}

int SectionNavigation::previousSection(int demoMs)
{
    // The pre-roll, and the first moments of the music, go back to the very start.
    if (demoMs - LoadObject::PRE_ROLL_MS < RESTART_SLACK_MS)
        return 0;
    const int musicMs = demoMs - LoadObject::PRE_ROLL_MS;
    const int section = LoadObject::sectionAt(musicMs);
    const int startMs = LoadObject::sectionStartMs(section);
    if (musicMs - startMs >= RESTART_SLACK_MS)
        return demoTimeOfMusic(startMs);
    return section == 0 ? 0 : demoTimeOfMusic(LoadObject::sectionStartMs(section - 1));
}

int SectionNavigation::nextSection(int demoMs)
{
    if (inPreRoll(demoMs))
        return LoadObject::PRE_ROLL_MS;
    const int section = LoadObject::sectionAt(demoMs - LoadObject::PRE_ROLL_MS);
    if (section >= LoadObject::SECTION_COUNT)
        return clamp(demoMs);
    return demoTimeOfMusic(LoadObject::sectionStartMs(section + 1));
}

int SectionNavigation::secondBack(int demoMs)
{
    return clamp(demoMs - 1000);
}

int SectionNavigation::secondForward(int demoMs)
{
    return clamp(demoMs + 1000);
}

int SectionNavigation::frameBack(int demoMs)
{
    return clamp(demoMs - FRAME_MS);
}

int SectionNavigation::frameForward(int demoMs)
{
    return clamp(demoMs + 1);
}

int SectionNavigation::clamp(int demoMs)
{
    return std::min(std::max(demoMs, 0), lastMs());
}
