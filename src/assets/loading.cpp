#include "assets/loading.h"

#include "assets/report.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <iterator>

#include "assets/inventory.h"
#include "assets/jpeg.h"
#include "assets/pages.h"
#include "assets/pcx.h"
#include "pixel/zoom_blur.h"

std::string PresentationDirectory = ".";

const char* const DataFiles[] = {
    "card.pcx",   "spr00.pcx",  "spr01.pcx",  "spr02.pcx",  "spr03.pcx",  "spr04.pcx",  "spr05.pcx",
    "spr06.pcx",  "spr07.pcx",  "spr08.pcx",  "spr09.pcx",  "spr10.pcx",  "spr11.pcx",  "spr12.pcx",
    "spr13.pcx",  "spr14.pcx",  "fig3a.pcx",  "fig3b.pcx",  "fig3c.pcx",  "fig4.pcx",   "font1.pcx",
    "font2.pcx",  "font3.pcx",  "img01.jpg",  "img02.jpg",  "img03.jpg",  "img04.jpg",  "img05.jpg",
    "img06.jpg",  "img07.jpg",  "img08.jpg",  "img09.jpg",  "img10.jpg",  "img11.jpg",  "img12.jpg",
    "img13.jpg",  "img14.jpg",  "img15.jpg",  "img16.jpg",  "img17.jpg",  "img18.jpg",  "img19.jpg",
    "ticker.txt", "pages1.txt", "pages2.txt",
};
const int DataFileCount = static_cast<int>(std::size(DataFiles));

std::string PresentationPath(const char* relative) { return PresentationDirectory + "/" + relative; }

const JpegSlot JpegSlots[JpegSlotCount] = {
    {"img01.jpg", BadgePictures[0], BadgeWidth, BadgeHeight},
    {"img02.jpg", BadgePictures[1], BadgeWidth, BadgeHeight},
    {"img03.jpg", EndCardPicture.pixels, ScreenWidth, ScreenHeight},
    {"img04.jpg", TextBackgrounds[0].pixels, ScreenWidth, ScreenHeight},
    {"img05.jpg", TextBackgrounds[1].pixels, ScreenWidth, ScreenHeight},
    {"img06.jpg", TextBackgrounds[2].pixels, ScreenWidth, ScreenHeight},
    {"img07.jpg", LastTextBackground.pixels, ScreenWidth, ScreenHeight},
    {"img08.jpg", CutPictureA.pixels, ScreenWidth, ScreenHeight},
    {"img09.jpg", CutPictureB.pixels, ScreenWidth, ScreenHeight},
    {"img10.jpg", OpeningPicture.pixels, ScreenWidth, ScreenHeight},
    {"img11.jpg", OverlayPictures[0].pixels, ScreenWidth, ScreenHeight},
    {"img12.jpg", OverlayPictures[1].pixels, ScreenWidth, ScreenHeight},
    {"img13.jpg", OverlayPictures[2].pixels, ScreenWidth, ScreenHeight},
    {"img14.jpg", MirrorPictures[0].pixels, ScreenWidth, ScreenHeight},
    {"img15.jpg", ScannerTexture, TextureSize, TextureSize},
    {"img16.jpg", PartOneTexture, TextureSize, TextureSize},
    {"img17.jpg", SlidePictures[0].pixels, ScreenWidth, ScreenHeight},
    {"img18.jpg", SlidePictures[1].pixels, ScreenWidth, ScreenHeight},
    {"img19.jpg", BridgePicture.pixels, ScreenWidth, ScreenHeight},
};

namespace {

const char* const LargeCharset = "abcdefghijklmnopqrstuvwxyz1234567890.,!?:-'";
const char* const SmallCharset =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
    "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
    "1234567890.!?:-'@";
const char* const PageCharset =
    "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
    "1234567890+=!?.,;:'/@-&$()";


bool Exists(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0;
}

std::string Data(const char* file) { return PresentationPath((std::string("data/") + file).c_str()); }

void LoadPcx(const char* file, Picture& picture, SpriteBox& box) {
  LoadPcxPicture(Data(file).c_str(), picture, box, ScreenWidth, ScreenHeight);
}

}  // namespace

void DeriveMirrorAndTint() {
  for (std::int32_t y = 0; y < ScreenHeight; ++y) {
    for (std::int32_t x = 0; x < ScreenWidth; ++x) {
      MirrorPictures[1].pixels[y * ScreenWidth + x] = MirrorPictures[0].pixels[(ScreenHeight - 1 - y) * ScreenWidth + x];
      TintPicture.pixels[y * ScreenWidth + (x + 65) % ScreenWidth] = CutPictureB.pixels[y * ScreenWidth + x];
    }
  }
}

void ClearFigureBand(Picture& figure) {
  for (std::int32_t y = 120; y <= 147; ++y) {
    for (std::int32_t x = 70; x <= 254; ++x) figure.pixels[y * ScreenWidth + x] = 0;
  }
}

bool LoadAssets() {
  const std::string dataDir = PresentationPath("data");
  std::int32_t present = 0;
  for (const char* file : DataFiles) present += Exists(Data(file)) ? 1 : 0;
  if (present == 0) {
    std::fprintf(stderr,
                 "zintavel: %s: %s; scripts/demo generates the default data set, or pass --dir with a "
                 "presentation directory\n",
                 dataDir.c_str(), Exists(dataDir) ? "holds none of the presentation's files" : "no such directory");
    return false;
  }

  // 1 and 3: the buffers are static, so they exist (cleared) before this runs.
  // 2. Fonts.
  LargeFont = BuildBitmapFont(Data("font1.pcx").c_str(), LargeCharset, 20, 1024, 40);
  SmallFont = BuildBitmapFont(Data("font2.pcx").c_str(), SmallCharset, 5, 470, 10);
  PageFont = BuildBitmapFont(Data("font3.pcx").c_str(), PageCharset, 5, 564, 12);

  // 4. Title card and sprites.
  SpriteBox unused;
  LoadPcx("card.pcx", TitleCardPicture, unused);
  for (std::int32_t i = 0; i < SpriteCount; ++i) {
    char file[16];
    std::snprintf(file, sizeof file, "spr%02d.pcx", i);
    LoadPcx(file, SpriteBank[i], SpriteBoxes[i]);
  }

  // 5. JPEG pictures, in this order.
  for (const JpegSlot& j : JpegSlots) LoadJpegPicture(Data(j.file).c_str(), j.destination, j.width, j.height);

  // 6.
  DeriveMirrorAndTint();

  // 7. The grids are static. 8.
  FillGreyGainTable();

  // 9.
  BuildTickerStrip(Data("ticker.txt").c_str());

  // 10. Figure layers; slot 5 is fig4 with a band blanked (its box as decoded).
  LoadPcx("fig4.pcx", FigureLayers[1], FigureBoxes[1]);
  AssetReportsMuted = true;  // the second load of a file names nothing the first did not
  LoadPcx("fig4.pcx", FigureLayers[5], FigureBoxes[5]);
  AssetReportsMuted = false;
  ClearFigureBand(FigureLayers[5]);
  LoadPcx("fig3c.pcx", FigureLayers[0], FigureBoxes[0]);
  LoadPcx("fig3b.pcx", FigureLayers[2], FigureBoxes[2]);
  LoadPcx("fig3a.pcx", FigureLayers[3], unused);
  AssetReportsMuted = true;
  LoadPcx("fig3c.pcx", FigureLayers[4], unused);
  AssetReportsMuted = false;

  // 11. Pages; the text scene divides by these counts, so a count of 0 is
  // reported here and skipped there.
  PagesOneCount = BuildPages(Data("pages1.txt").c_str(), PagesOne, BuildPathPointPicture);
  PagesTwoCount = BuildPages(Data("pages2.txt").c_str(), PagesTwo, BuildFixedPointPicture);
  return true;
}
