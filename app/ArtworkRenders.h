#pragma once
// The renders the program ships of its SVG masters in assets/artwork: each picture at the logical
// size the window and tray use, once for each device pixel ratio below, and the window icon at each
// of its pixel sizes. Each render is kept twice: as a PNG (what people and the desktop's icon theme
// read) and as its bare pixels, premultiplied ARGB32 rows as they lie in memory (".argb", what the
// program embeds, so a start decodes no PNG). scripts/render-artwork makes both; tests keep the
// PNGs equal to fresh renders of the masters and the pixels equal to the PNGs.

#include <string>
#include <vector>

namespace orvix::artwork {

struct Picture {
    const char* stem;  // master "<stem>.svg"
    int width;         // logical pixels
    int height;
};

inline constexpr Picture kPictures[] = {
    {"tray-0", 32, 32},  {"tray-1", 32, 32},  {"digit-1", 30, 30}, {"digit-2", 30, 30},
    {"digit-3", 30, 30}, {"digit-4", 30, 30}, {"digit-5", 30, 30}, {"mouse", 272, 351},
};
// Screens between these take the 2x render scaled to their own pixels.
inline constexpr int kRatios[] = {1, 2};
// The window icon's sizes: 16 to 64 pixels and their 2x counterparts.
inline constexpr int kIconSizes[] = {16, 20, 24, 32, 40, 48, 64, 80, 96, 128};
inline constexpr int kIconLargest = 64;  // logical pixels

struct Render {
    std::string master;  // file name of the SVG master
    std::string file;    // file name of the PNG render
    std::string pixels;  // file name of its bare pixels
    int width;           // device pixels
    int height;
};

inline std::string pictureFile(const std::string& stem, int ratio) {
    return ratio == 1 ? stem + ".png" : stem + "@" + std::to_string(ratio) + "x.png";
}

inline std::string iconFile(int pixels) { return "icon-" + std::to_string(pixels) + ".png"; }

// "mouse@2x.png" -> "mouse@2x.argb"
inline std::string pixelsFile(const std::string& png) { return png.substr(0, png.size() - 4) + ".argb"; }

// Every render, pictures first, then the icon sizes.
inline std::vector<Render> renders() {
    std::vector<Render> all;
    for (const Picture& p : kPictures)
        for (int ratio : kRatios)
            all.push_back({std::string(p.stem) + ".svg", pictureFile(p.stem, ratio),
                           pixelsFile(pictureFile(p.stem, ratio)), p.width * ratio, p.height * ratio});
    for (int pixels : kIconSizes)
        all.push_back({"icon.svg", iconFile(pixels), pixelsFile(iconFile(pixels)), pixels, pixels});
    return all;
}

}  // namespace orvix::artwork
