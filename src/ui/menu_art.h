#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "assets/indexed_image.h"
#include "render/rgba.h"

namespace ui {

using Rect = assets::Rect;

// The pause menu's skin (assets/UI/menu): named colours, two bitmap fonts and
// the RGBA sheets its boxes, slider and markers are cut from, with the
// primitives that draw them into a true-colour picture. Every primitive clips
// to the target picture; none fails.
struct MenuArt {
  enum class Font : std::uint32_t { Big = 0, Small = 1 };

  // The big font's arrow glyphs.
  static constexpr unsigned char kArrowLeft = 128;
  static constexpr unsigned char kArrowRight = 129;
  static constexpr unsigned char kArrowUp = 130;
  static constexpr unsigned char kArrowDown = 131;

  std::map<std::string, std::uint32_t> palette;
  render::RgbaImage fontSheet;
  render::RgbaImage smallFontSheet;
  render::RgbaImage panelSheet;
  render::RgbaImage stripeSheet;
  render::RgbaImage highlightSheet;
  render::RgbaImage slotSheet;
  render::RgbaImage sliderSheet;  // three rows of equal height: empty bar, sound, music
  render::RgbaImage latestSheet;
  render::RgbaImage emptyThumb;   // its size is the size of every save thumbnail
  std::int32_t panelCorner = 5;
  std::int32_t highlightCorner = 2;
  std::int32_t slotCorner = 2;
  std::int32_t sliderBars = 10;

  // root is the data root. Empty, with one error line, when menu.json or a
  // sheet cannot be used; never a partial skin.
  static std::optional<MenuArt> load(const std::filesystem::path& root);

  // Opaque magenta for a name the palette lacks, so that a missing colour shows.
  std::uint32_t colour(const std::string& name) const;

  static int textWidth(Font font, const std::string& text);
  void text(render::RgbaImage& img, Font font, int x, int y, const std::string& text, std::uint32_t colour) const;
  void fill(render::RgbaImage& img, Rect r, std::uint32_t colour) const;

  // The sheet's corners stay as they are, its edges and centre are tiled.
  void nineSlice(render::RgbaImage& img, const render::RgbaImage& sheet, int corner, Rect r) const;
  void panel(render::RgbaImage& img, Rect r) const;
  void highlight(render::RgbaImage& img, Rect r) const;
  void slot(render::RgbaImage& img, Rect r) const;
  // One band of the stripe sheet, tiled across.
  void stripe(render::RgbaImage& img, Rect r) const;
  // The volume bar for value 0..10.
  void slider(render::RgbaImage& img, int x, int y, int value, bool music) const;
  // The marker of the latest save.
  void latest(render::RgbaImage& img, int x, int y) const;
  void image(render::RgbaImage& img, const render::RgbaImage& src, int x, int y) const;
};

// Darkens the rectangle: each channel halved, opaque.
void dim(render::RgbaImage& img, Rect r);

// Reduces the rectangle of src to w x h: each output pixel is the colour met
// most often in its box of source pixels (the smaller value on a tie), so that
// a thumbnail keeps the game's flat colours instead of blurring them.
render::RgbaImage shrink(const render::RgbaImage& src, Rect r, int w, int h);

}  // namespace ui
