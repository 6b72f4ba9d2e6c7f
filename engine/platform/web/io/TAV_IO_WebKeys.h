// TAV_IO_WebKeys: the browser's key names (DOM KeyboardEvent.key) as the engine's key codes,
// the codes the desktop's X pump gives for the same keys. Plain C++, so the desktop's tests
// check it too. Stateless.
#pragma once

class TAV_IO_WebKeys {
public:
    // The character a key types as a signed 8-bit value ('q' 113, 'Q' 81, ' ' 32), Escape 27,
    // Enter 13, or for keys without a character the X keysym (F1 65470, ArrowUp 65362);
    // 0 for a key it does not know (dead keys, media keys, characters beyond one byte).
    static int translate(const char* domKey);
};
