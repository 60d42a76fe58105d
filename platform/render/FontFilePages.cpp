#include "platform/render/FontFilePages.h"

#include "platform/render/Fonts.h"

#include <sys/mman.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

namespace render {

namespace {

bool isFontFile(const std::string& path) {
    for (const char* extension : {".ttc", ".ttf", ".otf", ".TTC", ".TTF", ".OTF"}) {
        if (path.ends_with(extension)) {
            return true;
        }
    }
    return false;
}

} // namespace

std::size_t releaseFontFilePages() {
    // No face is opened or closed meanwhile: that happens only while text is shaped or
    // drawn, under the text lock, so every mapping read here is still the font's.
    std::lock_guard lock(textLock());
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    std::size_t released = 0;
    bool font = false;
    unsigned long start = 0;
    unsigned long end = 0;
    unsigned long resident = 0;
    while (std::getline(smaps, line)) {
        unsigned long first = 0;
        unsigned long last = 0;
        char permissions[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &first, &last, permissions) == 3) {
            // A mapping's first line: "start-end perms offset device inode path".
            std::istringstream fields(line);
            std::string skipped;
            std::string path;
            for (int i = 0; i < 5; ++i) {
                fields >> skipped;
            }
            std::getline(fields >> std::ws, path);
            font = permissions[1] != 'w' && isFontFile(path);
            start = first;
            end = last;
            continue;
        }
        if (!font) {
            continue;
        }
        unsigned long kib = 0;
        if (std::sscanf(line.c_str(), "Rss: %lu kB", &kib) == 1) {
            resident = kib;
        } else if (std::sscanf(line.c_str(), "Anonymous: %lu kB", &kib) == 1) {
            // Pages of the file only (none the process wrote): reading them again gives the same.
            if (resident > 0 && kib == 0 &&
                madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED) == 0) {
                released += resident * 1024;
            }
            font = false;
        }
    }
    return released;
}

} // namespace render
