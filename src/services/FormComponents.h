#pragma once
// The main form's components as the services and the game see them. The
// form (a layer above) is made of these: it derives from TFormComponents,
// sets the components up and points MForm at itself while it exists. Code
// below the form reaches the display, the image lists, the sprite engine,
// the sounds, the input states and the timer's interval through MForm
// without knowing the form's screens and event handlers.
#include "engine/Display.h"
#include "engine/ImageList.h"
#include "engine/Input.h"
#include "engine/SoundDevice.h"
#include "engine/Sprite.h"
#include "engine/Timer.h"

namespace fusewick {

class TFormComponents : public TDXForm {
 public:
  TFormComponents() : MDXDraw(this), MDXInput(this) {}

  // Components, in the order they are made (and unmade in reverse).
  TDXDraw MDXDraw;
  TDXImageList MDXImageList;
  TDXImageList MDXImageList2;
  TDXSpriteEngine MDXSpriteEngine;
  TDXSound MDXSound;
  TDXWaveList MDXWaveList;
  TDXInput MDXInput;
  TDXTimer MDXTimer;
};

// The one main form's components; null when no form exists.
extern TFormComponents* MForm;

}  // namespace fusewick
