#include "art.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
std::string artDirectory = ".";
bool failed = false;
}  // namespace

void SetArtDirectory(const std::string& dir) { artDirectory = dir; }

bool ArtFailed() { return failed; }

std::optional<Canvas> LoadArt(const std::string& name) {
  const std::string path = artDirectory + "/" + name + ".png";
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    std::fprintf(stderr, "zintavel-datagen: %s: cannot read the rendered picture: %s\n", path.c_str(), image.message);
    failed = true;
    return std::nullopt;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    std::fprintf(stderr, "zintavel-datagen: %s: cannot decode the rendered picture: %s\n", path.c_str(), image.message);
    png_image_free(&image);
    failed = true;
    return std::nullopt;
  }
  Canvas c(static_cast<int>(image.width), static_cast<int>(image.height));
  for (std::size_t i = 0; i < c.rgb.size(); ++i) {
    c.rgb[i] = {rgba[4 * i] / 255.0f, rgba[4 * i + 1] / 255.0f, rgba[4 * i + 2] / 255.0f};
    c.alpha[i] = rgba[4 * i + 3] / 255.0f;
  }
  return c;
}

Canvas Art(const std::string& name, int width, int height) {
  std::optional<Canvas> c = LoadArt(name);
  if (c && c->width == width && c->height == height) return *c;
  if (c) {
    std::fprintf(stderr, "zintavel-datagen: %s/%s.png: is %dx%d, the picture needs %dx%d\n", artDirectory.c_str(),
                 name.c_str(), c->width, c->height, width, height);
    failed = true;
  }
  return Canvas(width, height, {1.0f, 0.0f, 1.0f});
}
