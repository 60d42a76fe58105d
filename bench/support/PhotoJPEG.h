#pragma once

#include <string>

// A photo-like image (a gradient with noise) of width x height pixels, JPEG-encoded.
// The same seed gives the same image.
std::string photoLikeJPEG(int width, int height, int seed);
