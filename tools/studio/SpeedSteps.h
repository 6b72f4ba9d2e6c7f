// SpeedSteps: the studio's playing speeds, 0.25x, 0.5x, 1x and 2x, stepped with [ and ].
//
// The speed scales the engine's clock (wall time x speed per frame) and the music's rate
// alike, so the picture keeps following the music. Starts at 1x; a step past either end
// stays there. A plain value.
#pragma once

class SpeedSteps {
public:
    static constexpr int COUNT = 4;

    // One step slower or faster; false (and no change) at the end of the range.
    bool slower();
    bool faster();
    float speed() const;
    // "0.25x", "0.5x", "1x", "2x".
    const char* label() const;

private:
    int step = 2;  // 1x
};
