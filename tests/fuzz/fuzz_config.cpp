// Fuzzes the settings reader: any bytes as "app.cfg" must load without reading or writing
// out of bounds, without looping, and give keys and values of at most 79 characters.
#include <sys/mman.h>  // Required for: memfd_create()
#include <unistd.h>    // Required for: ftruncate(), pwrite()

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sys/TAV_SYS_Config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An in-memory file, rewritten for each input.
    static const int fd = memfd_create("app.cfg", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        abort();
    if (size > 0 && pwrite(fd, data, size, 0) != ssize_t(size))
        abort();

    TAV_SYS_Config* config = TAV_SYS_Config::getInstance(path.c_str());
    for (const char* key : {"XRES", "YRES", "FULLSCREEN", "LOG_OUTPUT", "KEY"}) {
        if (const ConfigNode* node = config->getNode(key)) {
            if (std::strlen(node->value) > size_t(TAV_SYS_Config::MAX_FIELD_LENGTH))
                abort();
        }
        config->getInt(key, 800);
        config->getFloat(key, 0.5f);
        config->getKeyCode(key, "EVK_ESC");
        config->getString(key, "default");
    }
    TAV_SYS_Config::deleteAllInstances();
    return 0;
}
