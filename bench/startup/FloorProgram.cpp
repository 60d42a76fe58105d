// The floor of the start-up benchmark: the least a program of our kind does before its
// first frame. It opens an SDL2 window of the phone's size, draws a page with Cairo
// (background, a bar, a few rectangles and a line of text) into the window's own pixels
// (no OpenGL, as the application's window), shows it, then
// idles for a second. It prints "first-frame <seconds since 1970>" once the first frame
// is shown and "idle-rss-kib <resident KiB>" after the idle second.
//
// Usage: startup_floor [--screen 390x844] [--scale 2]

#include <SDL2/SDL.h>
#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

void drawPage(cairo_t* cr, double width, double height) {
    cairo_set_source_rgb(cr, 0x28 / 255.0, 0x27 / 255.0, 0x2C / 255.0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0x1C / 255.0, 0x1B / 255.0, 0x20 / 255.0);
    cairo_rectangle(cr, 0, 0, width, 91);
    cairo_rectangle(cr, 0, height - 83, width, 83);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0xD7 / 255.0, 0x3F / 255.0, 0x3F / 255.0);
    for (int i = 0; i < 4; ++i) {
        cairo_arc(cr, width / 8 + i * width / 4, height - 60, 12, 0, 6.2832);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 18);
    cairo_move_to(cr, width / 2 - 30, 72);
    cairo_show_text(cr, "Home");
}

} // namespace

int main(int argc, char** argv) {
    int width = 390;
    int height = 844;
    double scale = 2;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--screen") == 0) {
            std::sscanf(argv[i + 1], "%dx%d", &width, &height);
        } else if (std::strcmp(argv[i], "--scale") == 0) {
            scale = std::atof(argv[i + 1]);
        }
    }
    const int pixelWidth = int(width * scale);
    const int pixelHeight = int(height * scale);

    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "startup_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, pixelWidth, pixelHeight, 0);
    SDL_Surface* pixels = window ? SDL_GetWindowSurface(window) : nullptr;
    if (pixels == nullptr || pixels->format->BytesPerPixel != 4) {
        std::fprintf(stderr, "startup_floor: %s\n",
                     pixels ? "the window's pixels are not 32-bit" : SDL_GetError());
        return 1;
    }

    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(pixels->pixels), CAIRO_FORMAT_RGB24, pixels->w, pixels->h, pixels->pitch);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    drawPage(cr, width, height);
    cairo_surface_flush(surface);
    SDL_UpdateWindowSurface(window);
    std::printf("first-frame %.6f\n", secondsSince1970());
    std::fflush(stdout);

    const Uint32 until = SDL_GetTicks() + 1000;
    SDL_Event event;
    while (SDL_GetTicks() < until) {
        while (SDL_PollEvent(&event)) {
        }
        SDL_Delay(10);
    }
    std::printf("idle-rss-kib %ld\n", residentKiB());
    if (const char* smaps = std::getenv("ORVEX_SMAPS_FILE"); smaps != nullptr) {
        std::ofstream(smaps) << std::ifstream("/proc/self/smaps").rdbuf();
    }

    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
