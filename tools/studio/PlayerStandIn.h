// PlayerStandIn: what the studio needs of the deterministic player's live mode, until
// DemoPlayer's live window and jumps exist. Jumps here are not exact (the scene's clocks are
// set, its state is not rebuilt); the music is moved along. This whole file goes once the
// real calls are there.
#pragma once

#include <algorithm>  // Required for: std::max()

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "fsound.h"
#include "sys/TAV_SYS_Config.h"

class StudioPlayer {
public:
    explicit StudioPlayer(double frameTimeMs)
        : player(frameTimeMs, TAV_SYS_Config::getInstance()->getInt("XRES", DemoPlayer::WIDTH),
                 TAV_SYS_Config::getInstance()->getInt("YRES", DemoPlayer::HEIGHT), DemoPlayer::IN_WINDOW),
          fixedFrameMs(frameTimeMs)
    {
    }

    bool stepLive(double frameTimeMs)
    {
        player.setFrameTimeMs(frameTimeMs);
        return player.step();
    }
    void redraw()
    {
        player.setFrameTimeMs(0.0);
        player.step();
    }
    bool seekToMusicTime(int musicTimeMs)
    {
        LoadObject* scene = player.scene();
        if (!scene)
            return false;
        if (!scene->musicStarted())
            scene->m_loadTime = LoadObject::PRE_ROLL_MS;
        scene->m_endTime = std::max(LoadObject::sectionStartMs(LoadObject::SECTION_COUNT), musicTimeMs);
        player.setNextMusicTimeMs(musicTimeMs);
        player.setFrameTimeMs(fixedFrameMs);
        const bool landed = player.step();
        if (player.scene())
            FSOUND_Stream_SetTime(player.scene()->m_stream, musicTimeMs);
        return landed;
    }
    bool seekToLoadTime(int loadTimeMs)
    {
        LoadObject* scene = player.scene();
        if (!scene)
            return false;
        scene->m_musicStarted = false;
        scene->m_loadTime = loadTimeMs;
        scene->m_endTime = LoadObject::sectionStartMs(LoadObject::SECTION_COUNT);
        player.setFrameTimeMs(fixedFrameMs);
        return player.step();
    }
    bool atEnd() const
    {
        const LoadObject* scene = player.scene();
        return scene && scene->musicStarted() && LoadObject::sectionAt(player.musicTimeMs()) >= LoadObject::SECTION_COUNT
            && scene->m_endTime >= LoadObject::CLOSING_END_MS;
    }

    LoadObject* scene() const { return player.scene(); }
    bool exited() const { return player.exited(); }
    int musicTimeMs() const { return player.musicTimeMs(); }
    const std::vector<uint8_t>& readFrame() { return player.readFrame(); }

private:
    DemoPlayer player;
    double fixedFrameMs;
};
