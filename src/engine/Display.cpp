#include "engine/Display.h"

#include <algorithm>

#include "engine/Errors.h"

namespace fusewick {

TDXDrawOptions EffectiveOptionsOf(TDXDrawOptions o) {
  if (!o.Has(doFullScreen)) {
    for (auto x : {doNoWindowChange, doAllowReboot, doAllowPalette256, doFlip}) o.Remove(x);
  }
  if (!o.Has(do3D)) {
    for (auto x : {doDirectX7Mode, doRetainedMode, doHardware, doSelectDriver, doZBuffer}) o.Remove(x);
  }
  if (o.Has(doSystemMemory)) o.Remove(doFlip);
  if (o.Has(doDirectX7Mode)) o.Remove(doRetainedMode);
  o.Remove(doHardware);
  return o;
}

// ---- TDXForm

void TDXForm::SaveWindowPlacement() { placementSaved_ = platform::Current().GetWindowPlacement(placement_); }

void TDXForm::RestoreWindowPlacement() {
  if (!placementSaved_) return;
  platform::Current().SetWindowPlacement(placement_);
  placementSaved_ = false;
}

void TDXForm::CenterOnScreen() { platform::Current().CenterWindow(); }

void TDXForm::DefaultSysCommand(uint32_t command) {
  if (command == platform::SC_MINIMIZE) Minimized = true;
}

// ---- TDXDraw

TDXDraw::TDXDraw(TDXForm* owner) : owner_(owner), surface_(std::make_unique<TDirectDrawSurface>()) {
  effective_ = EffectiveOptionsOf(options_);
}

TDXDraw::~TDXDraw() {
  Finalize();
  NotifyAll(dnDestroying);
}

void TDXDraw::SetOptions(TDXDrawOptions o) {
  options_ = o;
  if (!initialized_) effective_ = EffectiveOptionsOf(o);
}

void TDXDraw::NotifyAll(TDXDrawNotifyType code) {
  // From the last registered to the first; a listener may unregister itself.
  for (size_t i = listeners_.size(); i-- > 0;) {
    if (i >= listeners_.size()) continue;
    TDXDrawNotifyEvent cb = listeners_[i].Callback;
    cb(this, code);
  }
}

void TDXDraw::RegisterNotifyEvent(const void* component, TDXDrawNotifyEvent callback) {
  UnRegisterNotifyEvent(component);
  listeners_.push_back({component, callback});
  callback(this, dnSurfaceSize);
  if (initialized_) callback(this, dnInitialize);
  if (notifiedSurface_) callback(this, dnInitializeSurface);
  if (replayCount_ == 0) callback(this, dnRestore);
}

void TDXDraw::UnRegisterNotifyEvent(const void* component) {
  auto it =
      std::find_if(listeners_.begin(), listeners_.end(), [&](const Listener& l) { return l.Component == component; });
  if (it == listeners_.end()) return;
  TDXDrawNotifyEvent cb = it->Callback;
  listeners_.erase(it);
  if (notifiedSurface_) cb(this, dnFinalizeSurface);
  if (notifiedInitialize_) cb(this, dnFinalize);
}

void TDXDraw::Initialize() {
  initRequested_ = true;
  Finalize();
  if (!owner_) throw EDXDrawError("Form not found");
  try {
    busy_ = true;
    NotifyAll(dnInitializing);
    effective_ = EffectiveOptionsOf(options_);
    presenter_ = effective_.Has(doFlip) ? Presenter::Flip : Presenter::Blit;
    platform::Platform& p = platform::Current();
    const bool full = effective_.Has(doFullScreen);
    // Full screen is the desktop's own mode with the picture scaled into it,
    // so the mode change can only fail as a whole.
    if (!p.SetFullScreen(full) && full)
      throw EDXDrawError("Display mode cannot be changed (" + std::to_string(Display.Width) + "x" +
                         std::to_string(Display.Height) + " " + std::to_string(Display.BitCount) + "bit)");
    if (AutoSize) {
      SurfaceWidth = 800;
      SurfaceHeight = 600;
    }
    const int32_t w = std::max(SurfaceWidth, 1), h = std::max(SurfaceHeight, 1);
    if (!p.CreatePresenter(w, h)) throw EDXDrawError(Format("%s cannot be made", std::string("Primary Surface")));
    surface_->SystemMemory = effective_.Has(doSystemMemory);
    try {
      surface_->SetSize(w, h);
    } catch (const EDirectDrawSurfaceError&) {
      throw EDXDrawError(Format("%s cannot be made", std::string("Surface")));
    }
    surface_->Fill(0);
    busy_ = false;
    initialized_ = true;
    ++replayCount_;
  } catch (...) {
    busy_ = false;
    Finalize();
    throw;
  }
  NotifyAll(dnSurfaceSize);
  notifiedInitialize_ = true;
  NotifyAll(dnInitialize);
  notifiedSurface_ = true;
  NotifyAll(dnInitializeSurface);
  --replayCount_;
  RestoreSurfaces();
}

void TDXDraw::Finalize() {
  if (presenter_ == Presenter::None) return;
  busy_ = true;
  notifiedSurface_ = false;
  NotifyAll(dnFinalizeSurface);
  if (notifiedInitialize_) {
    notifiedInitialize_ = false;
    NotifyAll(dnFinalize);
  }
  initialized_ = false;
  effective_ = EffectiveOptionsOf(options_);
  platform::Current().DestroyPresenter();
  surface_->SetSize(0, 0);
  presenter_ = Presenter::None;
  busy_ = false;
}

void TDXDraw::RestoreSurfaces() {
  busy_ = true;
  const bool ok = platform::Current().RestorePresenter() && surface_->Restore();
  if (ok) {
    surface_->Fill(0);
    NotifyAll(dnRestore);
  }
  busy_ = false;
}

bool TDXDraw::SurfacesReady() {
  if (!initialized_ || busy_) return false;
  platform::Platform& p = platform::Current();
  if (!p.PresenterLost() && !surface_->IsLost()) return true;
  RestoreSurfaces();
  return !p.PresenterLost() && !surface_->IsLost();
}

void TDXDraw::Flip() {
  if (!initialized_ || busy_ || !SurfacesReady() || surface_->Blind) return;
  platform::Platform& p = platform::Current();
  // A flipped full screen is presented only while the form is active.
  if (presenter_ == Presenter::Flip && !p.IsForeground()) return;
  p.Present(surface_->Pixels(), surface_->Width(), surface_->Height(), surface_->Width(), effective_.Has(doWaitVBlank));
}

void TDXDraw::WindowShown() {
  if (AutoInitialize && !initRequested_) Initialize();
}

void TDXDraw::DeviceLost() { surface_->MarkLost(); }

void TDXDraw::Paint() {
  if (!initialized_ || busy_ || !SurfacesReady()) return;
  platform::Current().Present(surface_->Pixels(), surface_->Width(), surface_->Height(), surface_->Width(), false);
}

}  // namespace fusewick
