#include "engine/Sprite.h"

#include <algorithm>

#include "engine/Display.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Surface.h"

namespace fusewick {

// ---- TSprite

TSprite::TSprite(RootTag) {}

TSprite::TSprite(TSprite* parent) : parent_(parent) {
  if (parent_) {
    parent_->AddChild(this);
    engine_ = parent_->engine_ ? parent_->engine_ : static_cast<TSpriteEngine*>(parent_);
    ++engine_->spriteCount_;
  }
}

TSprite::~TSprite() {
  Clear();
  if (parent_) {
    --engine_->spriteCount_;
    parent_->RemoveChild(this);
    auto& kl = engine_->killList_;
    for (size_t i = kl.size(); i-- > 0;)
      if (kl[i] == this) {
        kl.erase(kl.begin() + std::ptrdiff_t(i));
        break;
      }
  }
}

void TSprite::AddChild(TSprite* child) {
  children_.push_back(child);
  InsertByZ(child);
}

void TSprite::InsertByZ(TSprite* child) {
  // Goes before every sibling whose Z is >= its own: among equal Z, the
  // sprite inserted last is drawn first (underneath).
  int32_t lo = 0, hi = int32_t(drawOrder_.size()) - 1;
  while (lo <= hi) {
    const int32_t mid = (lo + hi) / 2;
    if (drawOrder_[size_t(mid)]->z_ < child->z_)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  drawOrder_.insert(drawOrder_.begin() + lo, child);
}

void TSprite::RemoveChild(TSprite* child) {
  auto c = std::find(children_.begin(), children_.end(), child);
  if (c != children_.end()) children_.erase(c);
  auto d = std::find(drawOrder_.begin(), drawOrder_.end(), child);
  if (d != drawOrder_.end()) drawOrder_.erase(d);
}

void TSprite::Collide(TSprite*, bool&) {}
void TSprite::Render() {}
void TSprite::Step(int32_t) {}

void TSprite::GetBounds(TRect& r) {
  r.Left = Trunc(WorldX());
  r.Top = Trunc(WorldY());
  r.Right = r.Left + Width;
  r.Bottom = r.Top + Height;
}

void TSprite::Kill() {
  if (engine_ && !killed_) {
    killed_ = true;
    engine_->killList_.push_back(this);
  }
}

void TSprite::SetZ(int32_t value) {
  if (value == z_) return;
  z_ = value;
  if (parent_) {
    auto& order = parent_->drawOrder_;
    order.erase(std::find(order.begin(), order.end(), this));
    parent_->InsertByZ(this);
  }
}

void TSprite::Move(int32_t moveCount) {
  if (!Movable) return;
  Step(moveCount);
  // The count is read once: children added during the pass wait for the next.
  const size_t n = children_.size();
  for (size_t i = 0; i < n && i < children_.size(); ++i) children_[i]->Move(moveCount);
}

void TSprite::Draw() {
  if (!Visible) return;
  if (engine_) {
    TRect r;
    GetBounds(r);
    if (Overlap(r, engine_->surfaceRect_)) {
      Render();
      ++engine_->drawCount_;
    }
  }
  const size_t n = drawOrder_.size();
  for (size_t i = 0; i < n && i < drawOrder_.size(); ++i) drawOrder_[i]->Draw();
}

void TSprite::Clear() {
  while (!children_.empty()) delete children_.back();
}

TSprite* TSprite::Items(int32_t index) const {
  if (children_.empty()) throw ESpriteError(Format("Index of the list exceeds the range. (%d)", (long long)index));
  if (index < 0 || size_t(index) >= children_.size())
    throw ESpriteError(Format("List index out of bounds (%d)", (long long)index));
  return children_[size_t(index)];
}

double TSprite::WorldX() const { return parent_ ? parent_->WorldX() + X : X; }
double TSprite::WorldY() const { return parent_ ? parent_->WorldY() + Y : Y; }

// ---- TImageSprite

void TImageSprite::Step(int32_t moveCount) {
  AnimFrame += moveCount * AnimRate;
  if (AnimLoop) {
    if (AnimFrames > 0) {
      const int64_t q = int64_t(std::trunc(AnimFrame / AnimFrames));
      double r = AnimFrame - double(q) * AnimFrames;
      if (r < 0) r += AnimFrames;
      AnimFrame = r;
    } else {
      AnimFrame = 0;
    }
  } else {
    if (AnimFrame >= AnimFrames) {
      AnimFrame = AnimFrames - 1;
      AnimRate = 0;
    }
    if (AnimFrame < 0) {
      AnimFrame = 0;
      AnimRate = 0;
    }
  }
}

void TImageSprite::GetBounds(TRect& r) { TSprite::GetBounds(r); }

void TImageSprite::ImageRect(TRect& r) {
  GetBounds(r);
  const int32_t pw = Image ? Image->PatternWidth() : 0, ph = Image ? Image->PatternHeight() : 0;
  const int32_t dx = (Width - pw) / 2, dy = (Height - ph) / 2;
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}

void TImageSprite::Render() {
  if (!Image) return;
  TRect r;
  ImageRect(r);
  Image->Draw(Engine()->Surface(), r.Left, r.Top, PatternIndex());
}

// ---- TBackgroundSprite

TBackgroundSprite::~TBackgroundSprite() { SetMapSize(0, 0); }

void TBackgroundSprite::SetMapSize(int32_t columns, int32_t rows) {
  if (columns == mapWidth_ && rows == mapHeight_) return;
  if (columns <= 0 || rows <= 0) columns = rows = 0;
  mapWidth_ = columns;
  mapHeight_ = rows;
  cells_.assign(size_t(columns) * size_t(rows), 0);
}

int32_t TBackgroundSprite::Cell(int32_t c, int32_t r) const {
  if (c < 0 || c >= mapWidth_ || r < 0 || r >= mapHeight_) return -1;
  return cells_[size_t(c) + size_t(r) * size_t(mapWidth_)];
}

void TBackgroundSprite::SetCell(int32_t c, int32_t r, int32_t pattern) {
  if (c < 0 || c >= mapWidth_ || r < 0 || r >= mapHeight_) return;
  cells_[size_t(c) + size_t(r) * size_t(mapWidth_)] = pattern;
}

void TBackgroundSprite::GetBounds(TRect& r) {
  if (Tile) {
    r = Engine()->SurfaceRect();
    return;
  }
  if (!Image) {
    r = {};
    return;
  }
  r.Left = Trunc(WorldX());
  r.Top = Trunc(WorldY());
  r.Right = r.Left + Image->PatternWidth() * mapWidth_;
  r.Bottom = r.Top + Image->PatternHeight() * mapHeight_;
}

void TBackgroundSprite::Render() {
  if (!Image || mapWidth_ <= 0 || mapHeight_ <= 0) return;
  const TRect p0 = Image->PatternRect(0);
  const int32_t cw = p0.Width(), ch = p0.Height();
  if (cw <= 0 || ch <= 0) return;
  TDirectDrawSurface* surface = Engine()->Surface();
  const TRect& sr = Engine()->SurfaceRect();
  const int32_t nx = (sr.Right + cw) / cw + 1, ny = (sr.Bottom + ch) / ch + 1;
  const int32_t x = Trunc(WorldX()), y = Trunc(WorldY());
  const int32_t ox = x % cw, oy = y % ch;
  int32_t cx = x / cw, cy = y / ch, sx = 0, sy = 0;
  if (cx < 0) {
    sx = -cx;
    cx = 0;
  }
  if (cy < 0) {
    sy = -cy;
    cy = 0;
  }
  auto wrap = [](int32_t v, int32_t size) {
    v %= size;
    return v < 0 ? v + size : v;
  };
  if (Tile) {
    for (int32_t j = -1; j <= ny; ++j)
      for (int32_t i = -1; i <= nx; ++i) {
        const int32_t p = Cell(wrap(i - cx + sx, mapWidth_), wrap(j - cy + sy, mapHeight_));
        if (p >= 0) Image->Draw(surface, i * cw + ox, j * ch + oy, p);
      }
  } else {
    const int32_t ex = std::min(cx + mapWidth_ - sx, nx), ey = std::min(cy + mapHeight_ - sy, ny);
    for (int32_t j = cy; j < ey; ++j)
      for (int32_t i = cx; i < ex; ++i) {
        const int32_t p = Cell(i - cx + sx, j - cy + sy);
        if (p >= 0) Image->Draw(surface, i * cw + ox, j * ch + oy, p);
      }
  }
}

// ---- TSpriteEngine

TSpriteEngine::TSpriteEngine() : TSprite(RootTag{}) {}

TSpriteEngine::~TSpriteEngine() {
  Clear();
  killList_.clear();
}

void TSpriteEngine::FreeKilled() {
  // Each destructor takes its sprite off the list; a killed descendant of a
  // killed sprite leaves it together with its ancestor.
  while (!killList_.empty()) delete killList_.back();
}

void TSpriteEngine::Draw() {
  drawCount_ = 0;
  TSprite::Draw();
}

void TSpriteEngine::SetSurface(TDirectDrawSurface* s) {
  surface_ = s;
  if (s) {
    surfaceRect_ = s->ClientRect();
    Width = s->Width();
    Height = s->Height();
  }
}

// ---- TDXSpriteEngine

TDXSpriteEngine::TDXSpriteEngine() : engine_(std::make_unique<TSpriteEngine>()) {}

TDXSpriteEngine::~TDXSpriteEngine() { SetDXDraw(nullptr); }

void TDXSpriteEngine::SetDXDraw(TDXDraw* d) {
  if (d == dxDraw_) return;
  if (dxDraw_) dxDraw_->UnRegisterNotifyEvent(this);
  dxDraw_ = d;
  if (dxDraw_)
    dxDraw_->RegisterNotifyEvent(this, [this](TDXDraw* sender, TDXDrawNotifyType code) { Notify(sender, code); });
}

void TDXSpriteEngine::Notify(TDXDraw* sender, TDXDrawNotifyType code) {
  switch (code) {
    case dnInitialize: engine_->SetSurface(sender->Surface()); break;
    case dnFinalize: engine_->SetSurface(nullptr); break;
    case dnDestroying: dxDraw_ = nullptr; break;
    default: break;
  }
}

void TDXSpriteEngine::FreeKilled() { engine_->FreeKilled(); }
void TDXSpriteEngine::Move(int32_t moveCount) { engine_->Move(moveCount); }
void TDXSpriteEngine::Draw() {
  if (dxDraw_ && dxDraw_->Initialized()) engine_->Draw();
}

}  // namespace fusewick
