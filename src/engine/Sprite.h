#pragma once
// The sprite tree: every visible object is a sprite with a position, a draw
// order (Z), a per-tick Step, a Render and deferred destruction (Kill).
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Types.h"

namespace fusewick {

class TSpriteEngine;
class TPictureCollectionItem;
class TDirectDrawSurface;
class TDXDraw;
enum TDXDrawNotifyType : int;

class TSprite {
 public:
  // Links the new sprite under Parent (nullptr only for an engine).
  explicit TSprite(TSprite* parent);
  virtual ~TSprite();
  TSprite(const TSprite&) = delete;
  TSprite& operator=(const TSprite&) = delete;

  virtual void Collide(TSprite* other, bool& done);
  virtual void Render();
  virtual void Step(int32_t moveCount);
  virtual void GetBounds(TRect& r);

  // Schedules the sprite for freeing at the engine's next FreeKilled.
  void Kill();
  void SetZ(int32_t value);
  int32_t Z() const { return z_; }
  void Move(int32_t moveCount);
  void Draw();
  // Frees every child, always the last in creation order first.
  void Clear();
  int32_t Count() const { return int32_t(children_.size()); }
  // Child by 0-based index in creation order.
  TSprite* Items(int32_t index) const;
  double WorldX() const;
  double WorldY() const;

  TSpriteEngine* Engine() const { return engine_; }
  TSprite* Parent() const { return parent_; }
  bool Killed() const { return killed_; }
  // Children sorted by ascending Z (ties: newest first).
  const std::vector<TSprite*>& DrawOrder() const { return drawOrder_; }

  bool Movable = true;
  bool Visible = true;
  double X = 0, Y = 0;
  int32_t Width = 0, Height = 0;

 protected:
  // Only the engine is made with this: a root without a parent.
  struct RootTag {};
  explicit TSprite(RootTag);

 private:
  void AddChild(TSprite* child);
  void RemoveChild(TSprite* child);
  void InsertByZ(TSprite* child);

  TSpriteEngine* engine_ = nullptr;
  TSprite* parent_ = nullptr;
  std::vector<TSprite*> children_;   // creation order, owned
  std::vector<TSprite*> drawOrder_;  // the same children by Z
  bool killed_ = false;
  int32_t z_ = 0;
};

class TImageSprite : public TSprite {
 public:
  explicit TImageSprite(TSprite* parent) : TSprite(parent) {}

  void Step(int32_t moveCount) override;
  void Render() override;
  void GetBounds(TRect& r) override;

  int32_t PatternIndex() const { return Trunc(AnimFrame) + AnimFirst; }
  // The sprite's bounds with the pattern centred over them.
  void ImageRect(TRect& r);

  int32_t AnimFrames = 0;
  bool AnimLoop = false;
  double AnimFrame = 0;
  double AnimRate = 0;
  int32_t AnimFirst = 0;
  TPictureCollectionItem* Image = nullptr;  // not owned
};

class TBackgroundSprite : public TSprite {
 public:
  explicit TBackgroundSprite(TSprite* parent) : TSprite(parent) {}
  ~TBackgroundSprite() override;

  void Render() override;
  void GetBounds(TRect& r) override;

  void SetMapSize(int32_t columns, int32_t rows);
  int32_t Cell(int32_t column, int32_t row) const;
  void SetCell(int32_t column, int32_t row, int32_t pattern);
  int32_t MapWidth() const { return mapWidth_; }
  int32_t MapHeight() const { return mapHeight_; }

  TPictureCollectionItem* Image = nullptr;  // not owned
  bool Tile = false;

 private:
  std::vector<int32_t> cells_;  // row-major, negative = empty
  int32_t mapWidth_ = 0, mapHeight_ = 0;
};

class TSpriteEngine : public TSprite {
 public:
  TSpriteEngine();
  ~TSpriteEngine() override;

  void FreeKilled();
  // Resets DrawCount, then draws the tree.
  void Draw();
  void SetSurface(TDirectDrawSurface* s);
  TDirectDrawSurface* Surface() const { return surface_; }
  const TRect& SurfaceRect() const { return surfaceRect_; }
  int32_t SpriteCount() const { return spriteCount_; }
  int32_t DrawCount() const { return drawCount_; }
  const std::vector<TSprite*>& KillList() const { return killList_; }

 private:
  friend class TSprite;
  int32_t spriteCount_ = 0;
  std::vector<TSprite*> killList_;
  int32_t drawCount_ = 0;
  TDirectDrawSurface* surface_ = nullptr;
  TRect surfaceRect_;
};

// The component on the main form: owns the engine and attaches it to the
// display's back surface while the display is initialized.
class TDXSpriteEngine {
 public:
  TDXSpriteEngine();
  ~TDXSpriteEngine();
  TDXSpriteEngine(const TDXSpriteEngine&) = delete;
  TDXSpriteEngine& operator=(const TDXSpriteEngine&) = delete;

  TSpriteEngine* Engine() const { return engine_.get(); }
  TDXDraw* DXDraw() const { return dxDraw_; }
  void SetDXDraw(TDXDraw* d);

  void FreeKilled();
  void Move(int32_t moveCount);
  void Draw();

 private:
  void Notify(TDXDraw* sender, TDXDrawNotifyType code);
  std::unique_ptr<TSpriteEngine> engine_;
  TDXDraw* dxDraw_ = nullptr;
};

}  // namespace fusewick
