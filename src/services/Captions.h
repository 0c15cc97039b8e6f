#pragma once
// The shell's small sprite classes: the tiled screen background, captions
// (fixed pictures, stretched by Scale), the blinking text cursor and the
// menu buttons.
#include <string>

#include "engine/Sprite.h"

namespace fusewick {

class TPictureCollectionItem;

// The image of that name in image list 1 (MDXImageList) or 2.
TPictureCollectionItem* FindImage(const std::string& name, int list = 1);

// A one-cell map of pattern 0 of one image, tiled over the surface, Z 2.
class TBackground : public TBackgroundSprite {
 public:
  TBackground(const std::string& imageName, int list);
  void SetImage(const std::string& imageName, int list);
};

// A fixed picture drawn at its pattern size times Scale, Z 6.
class TCaption : public TImageSprite {
 public:
  TCaption(const std::string& imageName, double x, double y);
  void SetImage(const std::string& imageName);
  void Render() override;
  double Scale = 1.0;
};

// The blinking text cursor of name entry and the Options text row.
class TCursorCaption : public TCaption {
 public:
  TCursorCaption(const std::string& imageName, double x, double y) : TCaption(imageName, x, y) {}
  void Step(int32_t moveCount) override;
  bool Active = false;
  int32_t BlinkTime = 0;  // ms
};

// A menu button with a normal and a highlighted look, Z 7.
class TMenuButton : public TImageSprite {
 public:
  TMenuButton(const std::string& highlightImage, const std::string& normalImage, int32_t highlightPattern,
              int32_t normalPattern, double x, double y);
  // Plays "Button_Activated" and shows the highlighted look.
  void Highlight();
  void Unhighlight();

  bool Highlighted = false;
  std::string HighlightImage;
  std::string NormalImage;
  int32_t HighlightPattern = 0;
  int32_t NormalPattern = 0;
};

}  // namespace fusewick
