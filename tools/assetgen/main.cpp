// assetgen: makes every picture and the music of the Tavlen demo from code.
//
//   assetgen <output-folder>              all pictures and the music, under <folder>/data
//   assetgen --only <name> <folder>       just the named files (e.g. o14_logo, ormund_france)
//   assetgen --contact-sheet <file.png>   every picture on one sheet, alpha on a checkerboard
//   assetgen --previews <file.png>        pictures composed as the demo shows them
//   assetgen --icons <folder>             the desktop icon in every size, <folder>/<N>x<N>/apps
//
// The output is the same bytes on every run: all chance comes from fixed seeds, and the
// Ogg stream has a fixed serial number. Work is spread over two threads (the music is the
// longest task and starts first); each task writes its own file.
#include <sys/stat.h>  // Required for: mkdir()

#include <atomic>
#include <cerrno>      // Required for: errno, EEXIST
#include <chrono>
#include <cstdio>      // Required for: std::printf, std::fprintf
#include <exception>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ContactSheet.h"
#include "Icons.h"
#include "Music.h"
#include "Pictures.h"

namespace {

const char* const MUSIC_FILE = "data/ormund_france.ogg";

// Runs the tasks on `threads` workers, in order of the list; the first failure is kept and
// rethrown once every worker has stopped.
void runTasks(const std::vector<std::function<void()>>& tasks, unsigned threads)
{
    std::atomic<size_t> nextTask{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto worker = [&] {
        for (size_t i = nextTask++; i < tasks.size(); i = nextTask++) {
            try {
                tasks[i]();
            } catch (...) {
                std::lock_guard<std::mutex> guard(failureLock);
                if (!failure)
                    failure = std::current_exception();
                nextTask = tasks.size();
            }
        }
    };
    std::vector<std::thread> workers;
    for (unsigned t = 1; t < threads; ++t)
        workers.emplace_back(worker);
    worker();
    for (std::thread& t : workers)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

// "data/o14_logo.png" -> "o14_logo".
std::string shortName(const std::string& file)
{
    const size_t slash = file.rfind('/');
    const size_t dot = file.rfind('.');
    return file.substr(slash + 1, dot - slash - 1);
}

void makeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create folder " + path);
}

void usage()
{
    std::fprintf(stderr,
                 "usage: assetgen [--only NAME]... OUTPUT-FOLDER\n"
                 "       assetgen --contact-sheet FILE.png\n"
                 "       assetgen --previews FILE.png\n"
                 "       assetgen --icons FOLDER\n");
}

int generate(const std::string& outputFolder, const std::vector<std::string>& only, const PictureContext& context)
{
    auto wanted = [&](const std::string& file) {
        if (only.empty())
            return true;
        for (const std::string& name : only)
            if (name == shortName(file))
                return true;
        return false;
    };
    makeFolder(outputFolder);
    makeFolder(outputFolder + "/data");

    std::vector<std::function<void()>> tasks;
    if (wanted(MUSIC_FILE))
        tasks.emplace_back([&] { writeMusic(outputFolder + "/" + MUSIC_FILE); });
    for (const PictureRecipe& recipe : pictureCatalogue())
        if (wanted(recipe.file))
            tasks.emplace_back([&, recipe] {
                renderPicture(recipe, context).writePNG(outputFolder + "/" + recipe.file, recipe.channels);
            });
    if (tasks.empty()) {
        std::fprintf(stderr, "assetgen: nothing matches the names given\n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    runTasks(tasks, 2);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("assetgen: %zu files in %.2f s\n", tasks.size(), seconds);
    return 0;
}

// Every picture rendered in memory, in catalogue order, two at a time.
std::vector<Image> renderAll(const PictureContext& context)
{
    const std::vector<PictureRecipe>& catalogue = pictureCatalogue();
    std::vector<Image> images(catalogue.size(), Image(1, 1));
    std::vector<std::function<void()>> tasks;
    for (size_t i = 0; i < catalogue.size(); ++i)
        tasks.emplace_back([&, i] { images[i] = renderPicture(catalogue[i], context); });
    runTasks(tasks, 2);
    return images;
}

}  // namespace

int main(int argc, char** argv)
{
    const PictureContext context(ASSETGEN_FONT_DIR);
    try {
        std::vector<std::string> only;
        std::string output;
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if ((arg == "--contact-sheet" || arg == "--previews") && i + 1 < argc) {
                const std::vector<Image> images = renderAll(context);
                const Image sheet = arg == "--contact-sheet" ? contactSheet(pictureCatalogue(), images, context)
                                                             : previews(pictureCatalogue(), images);
                sheet.writePNG(argv[i + 1], 3);
                std::printf("assetgen: wrote %s\n", argv[i + 1]);
                return 0;
            }
            if (arg == "--icons" && i + 1 < argc) {
                writeIcons(argv[i + 1], context);
                std::printf("assetgen: wrote the icons under %s\n", argv[i + 1]);
                return 0;
            }
            if (arg == "--only" && i + 1 < argc) {
                only.push_back(argv[++i]);
            } else if (arg.size() > 1 && arg[0] == '-') {
                usage();
                return 2;
            } else if (output.empty()) {
                output = arg;
            } else {
                usage();
                return 2;
            }
        }
        if (output.empty()) {
            usage();
            return 2;
        }
        return generate(output, only, context);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
}
