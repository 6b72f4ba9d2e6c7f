// FuzzSupport: what the libFuzzer targets share. Seeds are written by each target into the
// corpus folder it is given when it starts (so no binary seed files live in the source
// tree), and the picture readers share one check of what they accept and refuse, each
// reading a scratch file of its own.
#pragma once

#include <unistd.h>  // Required for: getpid(), access()

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/TAV_ImageData.h"  // Required for: the image readers' shared check
#include "sys/TAV_Exception.h"

namespace fuzzsupport {

using Bytes = std::vector<uint8_t>;

// Writes `size` bytes to `path`; false when the file cannot be written.
inline bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    if (size > 0)
        fwrite(data, 1, size, file);
    return fclose(file) == 0;
}

// Writes each seed into the corpus folder, the first argument that is not a flag, unless
// a file of that name is already there.
inline void writeSeeds(int argc, char** argv, const std::vector<std::pair<std::string, Bytes>>& seeds)
{
    std::string dir;
    for (int i = 1; i < argc && dir.empty(); ++i)
        if (argv[i][0] != '-')
            dir = argv[i];
    for (const auto& seed : seeds) {
        const std::string path = dir + "/" + seed.first;
        if (!dir.empty() && access(path.c_str(), F_OK) != 0)
            writeFile(path, seed.second.data(), seed.second.size());
    }
}

// Feeds `data` to the picture reader that dispatches on `ending`. Every accepted picture
// must be complete (its last byte readable) and survive a bitmap round trip unchanged;
// every refusal must be a TAV_Exception with a file (-70) or memory (-55) code.
inline void fuzzImageReader(const std::string& ending, const uint8_t* data, size_t size)
{
    // This process's files (parallel fuzzing jobs are separate processes), in memory when
    // /dev/shm is there, removed when it ends.
    struct ScratchFiles {
        std::string input, output;
        ~ScratchFiles()
        {
            remove(input.c_str());
            remove(output.c_str());
        }
    };
    static const std::string stem = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/tavlen-fuzz-" + std::to_string(getpid());
    static const ScratchFiles scratch{stem + "." + ending, stem + ".out.bmp"};

    if (!writeFile(scratch.input, data, size))
        __builtin_trap();  // the fuzzer cannot do its job
    try {
        TAV_ImageData image(scratch.input.c_str());
        if ((image.m_bpp != 3 && image.m_bpp != 4) || image.m_width <= 0 || image.m_height <= 0)
            abort();
        const size_t bytes = size_t(image.m_width) * size_t(image.m_height) * size_t(image.m_bpp);
        volatile unsigned char last = image.m_data[bytes - 1];
        (void)last;
        image.writeBitmap(scratch.output.c_str());
        const TAV_ImageData back(scratch.output.c_str());
        if (back.m_width != image.m_width || back.m_height != image.m_height || back.m_bpp != image.m_bpp ||
            back.m_format != image.m_format || memcmp(back.m_data, image.m_data, bytes) != 0)
            abort();
    } catch (TAV_Exception* e) {
        if (e->getCode() != TAV_Exception::BAD_FILE && e->getCode() != TAV_Exception::MEMORY_EXHAUSTED)
            abort();
        delete e;
    }
}

}  // namespace fuzzsupport
