#include "app/reload.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "assets/data_file.h"
#include "assets/font.h"
#include "assets/inventory.h"
#include "assets/jpeg.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "assets/pcx.h"
#include "assets/report.h"

namespace {

std::string SpriteFile(std::int32_t i);

std::string Data(const std::string& name) { return PresentationPath(("data/" + name).c_str()); }


bool ReplacePcx(const std::string& name) {
  auto picture = std::make_unique<Picture>();
  SpriteBox box{};
  if (!LoadPcxPicture(Data(name).c_str(), *picture, box, ScreenWidth, ScreenHeight)) return false;
  auto place = [&](Picture& slot, SpriteBox* boxSlot) {
    slot = *picture;
    if (boxSlot) *boxSlot = box;
  };
  if (name == "card.pcx") place(TitleCardPicture, nullptr);
  for (std::int32_t i = 0; i < SpriteCount; ++i) {
    if (name == SpriteFile(i)) place(SpriteBank[i], &SpriteBoxes[i]);
  }
  // Slot 0 is the scanner's working layer, rebuilt from 3 and 4 while it is
  // shown; it starts as fig3c like slot 4.
  if (name == "fig4.pcx") {
    place(FigureLayers[1], &FigureBoxes[1]);
    place(FigureLayers[5], &FigureBoxes[5]);
    ClearFigureBand(FigureLayers[5]);
  }
  if (name == "fig3c.pcx") place(FigureLayers[0], &FigureBoxes[0]), place(FigureLayers[4], nullptr);
  if (name == "fig3b.pcx") place(FigureLayers[2], &FigureBoxes[2]);
  if (name == "fig3a.pcx") place(FigureLayers[3], nullptr);
  return true;
}

bool ReplaceJpeg(const JpegSlot& slot) {
  std::vector<Pixel> staged(static_cast<std::size_t>(slot.width) * static_cast<std::size_t>(slot.height));
  if (!LoadJpegPicture(Data(slot.file).c_str(), staged.data(), slot.width, slot.height)) return false;
  std::copy(staged.begin(), staged.end(), slot.destination);
  return true;
}

bool ReplaceFont(BitmapFont& font, const std::string& name) {
  const std::int32_t w = font.sheetWidth, h = font.sheetHeight;
  std::vector<std::uint8_t> bytes;
  std::string problem;
  // A sheet needs at most two bytes a pixel, its header and its palette.
  if (!ReadDataFile(Data(name).c_str(), bytes, 128 + 2 * static_cast<std::size_t>(w) * h + 768, nullptr, problem)) {
    ReportAssetProblem(Data(name).c_str(), "%s; the previous version stays", problem.c_str());
    return false;
  }
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h), palette(768);
  if (!DecodePcxIndices(Data(name).c_str(), bytes.data(), bytes.size(), indices.data(), palette.data(), w, h)) return false;
  BitmapFont built =
      BuildBitmapFontFromMemory(Data(name).c_str(), bytes.data(), bytes.size(), font.charset, font.spaceAdvance, w, h);
  if (built.glyphCount == 0) return false;
  font = std::move(built);
  return true;
}

bool RebuildTicker() {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  const std::string path = Data("ticker.txt");
  if (!ReadDataFile(path.c_str(), bytes, TickerFileBytes, nullptr, problem)) {
    ReportAssetProblem(path.c_str(), "%s; the previous ticker stays", problem.c_str());
    return false;
  }
  BuildTickerStripFromMemory(path.c_str(), bytes.data(), bytes.size());
  return true;
}

// Builds a page set aside and takes it when it has pages.
bool RebuildPages(const char* file, PointPicture* pages, std::int32_t& count, PointPictureBuilder builder) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  const std::string path = Data(file);
  if (!ReadDataFile(path.c_str(), bytes, PageFileBytes, nullptr, problem)) {
    ReportAssetProblem(path.c_str(), "%s; the previous pages stay", problem.c_str());
    return false;
  }
  static PointPicture staged[MaxPages];
  // The page builder draws into ScratchPicture, a work picture of the scenes.
  auto scratch = std::make_unique<Picture>(ScratchPicture);
  const std::int32_t made = BuildPagesFromMemory(path.c_str(), bytes.data(), bytes.size(), staged, builder);
  ScratchPicture = *scratch;
  if (made == 0) return false;
  for (std::int32_t i = 0; i < made; ++i) std::swap(pages[i], staged[i]);
  count = made;
  return true;
}

bool RebuildAllPages() {
  const bool one = RebuildPages("pages1.txt", PagesOne, PagesOneCount, BuildPathPointPicture);
  const bool two = RebuildPages("pages2.txt", PagesTwo, PagesTwoCount, BuildFixedPointPicture);
  return one && two;
}

std::string SpriteFile(std::int32_t i) {
  char file[16];
  std::snprintf(file, sizeof file, "spr%02d.pcx", i);
  return file;
}

bool IsPcxPicture(const std::string& name) {
  for (const char* f : {"card.pcx", "fig3a.pcx", "fig3b.pcx", "fig3c.pcx", "fig4.pcx"}) {
    if (name == f) return true;
  }
  for (std::int32_t i = 0; i < SpriteCount; ++i) {
    if (name == SpriteFile(i)) return true;
  }
  return false;
}

ReloadResult Result(bool replaced) { return replaced ? ReloadResult::Replaced : ReloadResult::KeptPrevious; }

}  // namespace

ReloadResult ReloadDataFile(const std::string& name) {
  if (IsPcxPicture(name)) return Result(ReplacePcx(name));
  for (const JpegSlot& slot : JpegSlots) {
    if (name != slot.file) continue;
    if (!ReplaceJpeg(slot)) return ReloadResult::KeptPrevious;
    if (name == "img09.jpg" || name == "img14.jpg") DeriveMirrorAndTint();
    if (name == "img09.jpg") RebuildAllPages();  // the points' colours come from the tint
    return ReloadResult::Replaced;
  }
  // A new font redraws what was drawn with it, whatever the texts' state.
  if (name == "font1.pcx") return Result(ReplaceFont(LargeFont, name) && (RebuildTicker(), true));
  if (name == "font2.pcx") return Result(ReplaceFont(SmallFont, name));
  if (name == "font3.pcx") return Result(ReplaceFont(PageFont, name) && (RebuildAllPages(), true));
  if (name == "ticker.txt") return Result(RebuildTicker());
  if (name == "pages1.txt") return Result(RebuildPages("pages1.txt", PagesOne, PagesOneCount, BuildPathPointPicture));
  if (name == "pages2.txt") return Result(RebuildPages("pages2.txt", PagesTwo, PagesTwoCount, BuildFixedPointPicture));
  return ReloadResult::NotAFileOfTheShow;
}
