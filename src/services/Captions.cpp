#include "services/Captions.h"

#include <cmath>

#include "engine/ImageList.h"
#include "services/FormComponents.h"
#include "services/Sound.h"

namespace fusewick {

TPictureCollectionItem* FindImage(const std::string& name, int list) {
  return (list == 2 ? MForm->MDXImageList2 : MForm->MDXImageList).Items.Find(name);
}

// ---- TBackground

TBackground::TBackground(const std::string& imageName, int list) : TBackgroundSprite(MForm->MDXSpriteEngine.Engine()) {
  SetImage(imageName, list);
  SetMapSize(1, 1);  // its one cell holds pattern 0
  Tile = true;
  SetZ(kZBackground);
}

void TBackground::SetImage(const std::string& imageName, int list) {
  Image = FindImage(imageName, list);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
}

// ---- TCaption

TCaption::TCaption(const std::string& imageName, double x, double y) : TImageSprite(MForm->MDXSpriteEngine.Engine()) {
  SetImage(imageName);
  X = x;
  Y = y;
  SetZ(kZFliers);
}

void TCaption::SetImage(const std::string& imageName) {
  Image = FindImage(imageName);
  Width = RoundEven(Image->PatternWidth() * Scale);
  Height = RoundEven(Image->PatternHeight() * Scale);
}

void TCaption::Render() {
  if (!Visible || !Image) return;
  const TRect r{RoundEven(X), RoundEven(Y), RoundEven(X + Width), RoundEven(Y + Height)};
  Image->StretchDraw(Engine()->Surface(), r, int32_t(std::floor(AnimFrame)));
}

// ---- TCursorCaption

namespace {
constexpr int32_t kCursorBlinkTime = 500;  // ms the text cursor stays shown, then hidden
}  // namespace

void TCursorCaption::Step(int32_t moveCount) {
  TCaption::Step(moveCount);
  if (Active) {
    BlinkTime -= MForm->MDXTimer.Interval();
    if (BlinkTime <= 0) {
      Visible = !Visible;
      BlinkTime = kCursorBlinkTime;
    }
  } else {
    Visible = false;
  }
}

// ---- TMenuButton

TMenuButton::TMenuButton(const std::string& highlightImage, const std::string& normalImage, int32_t highlightPattern,
                         int32_t normalPattern, double x, double y)
    : TImageSprite(MForm->MDXSpriteEngine.Engine()),
      HighlightImage(highlightImage),
      NormalImage(normalImage),
      HighlightPattern(highlightPattern),
      NormalPattern(normalPattern) {
  Image = FindImage(NormalImage);
  Width = Image->PatternWidth();
  Height = Image->PatternHeight();
  AnimFrames = Image->PatternCount();
  AnimLoop = true;
  AnimRate = 0;
  AnimFrame = NormalPattern;
  X = x;
  Y = y;
  SetZ(kZFront);
  Highlighted = false;
}

void TMenuButton::Highlight() {
  static const std::string kActivatedSound = effect::ButtonActivated;  // made once: too long to be kept inline
  PlaySound(kActivatedSound);
  Image = FindImage(HighlightImage);
  AnimFrame = HighlightPattern;
}

void TMenuButton::Unhighlight() {
  Image = FindImage(NormalImage);
  AnimFrame = NormalPattern;
}

}  // namespace fusewick
