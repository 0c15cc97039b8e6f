#include "Effects.h"

#include <algorithm>
#include <cmath>

#include "services/AssetNames.h"

namespace fusewick::audio {

namespace {

// Fills `seconds` of signal with f(t).
template <typename F>
Signal Render(double seconds, double rate, F f) {
  Signal s(size_t(seconds * rate));
  for (size_t i = 0; i < s.size(); ++i) s[i] = f(double(i) / rate);
  return s;
}

// One note of a jingle or a blip, mixed into `out`.
struct Voice {
  Osc::Shape shape = Osc::Square;
  double pulseWidth = 0.5;
  double attack = 0.004, decay = 0.15, sustain = 0.6, release = 0.08;
  double vibratoHz = 0.0, vibratoSemis = 0.0, vibratoDelay = 0.15;
  double glideSemis = 0.0;  // pitch change over the note, semitones
  double cutoff = 6000.0;   // low-pass
};

void AddNote(Signal& out, double rate, const Voice& v, double start, double length, double midi, double level) {
  Osc osc(v.shape);
  Biquad lp(Biquad::LowPass);
  lp.Set(v.cutoff, 0.7, rate);
  double total = length + v.release;
  size_t first = size_t(start * rate);
  for (size_t i = 0; i < size_t(total * rate) && first + i < out.size(); ++i) {
    double t = double(i) / rate;
    double env;
    if (t < v.attack)
      env = t / v.attack;
    else
      env = v.sustain + (1.0 - v.sustain) * std::exp(-(t - v.attack) / v.decay);
    if (t > length) env *= std::max(0.0, 1.0 - (t - length) / v.release);
    double vib = 0.0;
    if (v.vibratoHz > 0.0 && t > v.vibratoDelay)
      vib = v.vibratoSemis * std::min(1.0, (t - v.vibratoDelay) / 0.2) * std::sin(2 * kPi * v.vibratoHz * t);
    double pitch = midi + vib + v.glideSemis * std::min(1.0, t / length);
    out[first + i] += level * env * lp.Process(osc.Next(NoteHz(pitch), rate, v.pulseWidth));
  }
}

// Hover tick: a tiny, high, soft blip.
Signal ButtonActivated(double rate) {
  Osc a(Osc::Sine), b(Osc::Sine);
  return Render(0.07, rate, [&](double t) {
    double hz = 1760.0 * (1.0 + 0.08 * std::exp(-t / 0.006));
    return (a.Next(hz, rate) + 0.3 * b.Next(hz * 2.0, rate)) * Decay(t, 0.001, 0.013);
  });
}

// Confirm: two quick rising notes.
Signal ButtonPressed(double rate) {
  Signal s(size_t(0.17 * rate));
  Voice v;
  v.pulseWidth = 0.25, v.attack = 0.002, v.decay = 0.04, v.sustain = 0.3, v.release = 0.015;
  AddNote(s, rate, v, 0.0, 0.04, 83, 0.8);  // B5
  v.decay = 0.05, v.sustain = 0.0, v.release = 0.03;
  AddNote(s, rate, v, 0.045, 0.09, 88, 1.0);  // E6
  return s;
}

// Fanfare: a rising C major arpeggio, a pickup and a held chord.
Signal LevelComplete(double rate) {
  Signal s(size_t(2.0 * rate));
  Voice lead;
  lead.pulseWidth = 0.3, lead.decay = 0.2, lead.sustain = 0.7, lead.release = 0.05;
  lead.vibratoHz = 5.5, lead.vibratoSemis = 0.25, lead.vibratoDelay = 0.25;
  struct N {
    double at, len, midi;
  };
  for (N n : {N{0.00, 0.09, 72}, N{0.10, 0.09, 76}, N{0.20, 0.09, 79}, N{0.30, 0.22, 84}, N{0.55, 0.08, 79}})
    AddNote(s, rate, lead, n.at, n.len, n.midi, 0.55);
  lead.release = 0.25;
  AddNote(s, rate, lead, 0.65, 1.05, 84, 0.6);
  Voice brass = lead;
  brass.shape = Osc::Saw, brass.cutoff = 2500.0, brass.attack = 0.03, brass.vibratoSemis = 0.12;
  for (double midi : {76.0, 79.0}) AddNote(s, rate, brass, 0.65, 1.05, midi, 0.22);
  Voice bass;
  bass.shape = Osc::Triangle, bass.decay = 0.3, bass.sustain = 0.5, bass.release = 0.2;
  AddNote(s, rate, bass, 0.0, 0.5, 48, 0.5);
  AddNote(s, rate, bass, 0.55, 0.08, 43, 0.5);
  AddNote(s, rate, bass, 0.65, 1.05, 48, 0.55);
  return s;
}

// "Wah, wah, wah, waaah": a falling half-step line into a sagging E minor.
Signal GameOver(double rate) {
  Signal s(size_t(2.7 * rate));
  Voice horn;
  horn.shape = Osc::Saw, horn.cutoff = 1400.0, horn.attack = 0.04, horn.decay = 0.15, horn.sustain = 0.75;
  horn.release = 0.06, horn.glideSemis = -0.3;
  double at = 0.0;
  for (double midi : {67.0, 66.0, 65.0}) {
    AddNote(s, rate, horn, at, 0.28, midi, 0.5);
    at += 0.32;
  }
  horn.vibratoHz = 5.0, horn.vibratoSemis = 0.45, horn.vibratoDelay = 0.2, horn.glideSemis = -0.7;
  horn.release = 0.3;
  AddNote(s, rate, horn, at, 1.35, 64, 0.55);
  Voice low;
  low.shape = Osc::Triangle, low.attack = 0.08, low.decay = 0.6, low.sustain = 0.5, low.release = 0.3;
  for (double midi : {40.0, 52.0, 55.0, 59.0}) AddNote(s, rate, low, at, 1.35, midi, 0.22);
  return s;
}

// Power-down: a trembling square gliding from high to low.
Signal BonusLost(double rate) {
  Osc osc(Osc::Square);
  Biquad lp(Biquad::LowPass);
  lp.Set(3000.0, 0.7, rate);
  return Render(0.6, rate, [&](double t) {
    double hz = 150.0 + 730.0 * std::exp(-t / 0.16);
    double tremolo = 0.6 + 0.4 * std::sin(2 * kPi * 18.0 * t);
    double pw = 0.5 - 0.35 * t / 0.6;
    return lp.Process(osc.Next(hz, rate, pw)) * tremolo * Decay(t, 0.003, 0.25);
  });
}

// Blaster: a fast falling zap with a noisy edge.
Signal Shot(double rate) {
  Osc osc(Osc::Square);
  Rng rng(7);
  Biquad hp(Biquad::HighPass);
  hp.Set(3000.0, 0.7, rate);
  Biquad lp(Biquad::LowPass);
  lp.Set(7000.0, 0.7, rate);
  return Render(0.19, rate, [&](double t) {
    double hz = 260.0 + 1900.0 * std::exp(-t / 0.03);
    double zap = osc.Next(hz, rate, 0.5 - 0.3 * std::min(1.0, t / 0.1)) * Decay(t, 0.001, 0.05);
    double edge = hp.Process(rng.Signed()) * Decay(t, 0.0005, 0.008);
    return lp.Process(zap + 0.6 * edge);
  });
}

// Hurt: a short growling grunt.
Signal Die3(double rate) {
  Osc saw(Osc::Saw), growl(Osc::Sine);
  Rng rng(13);
  Biquad body(Biquad::BandPass), hiss(Biquad::BandPass);
  body.Set(900.0, 1.2, rate);
  hiss.Set(1500.0, 1.0, rate);
  Signal s = Render(0.32, rate, [&](double t) {
    double hz = 150.0 + 110.0 * std::exp(-t / 0.08);
    hz *= 1.0 + 0.15 * growl.Next(35.0, rate);
    double x = saw.Next(hz, rate);
    double v = body.Process(x) * 2.0 + 0.3 * x + 0.4 * hiss.Process(rng.Signed());
    return v * Decay(t, 0.003, 0.09);
  });
  Saturate(s, 2.0);
  Biquad soften(Biquad::LowPass);
  soften.Set(4500.0, 0.7, rate);
  for (double& v : s) v = soften.Process(v);
  return s;
}

// Life lost: a falling diminished arpeggio that droops, then a low thud.
Signal Die2(double rate) {
  Signal s(size_t(1.05 * rate));
  Voice blip;
  blip.attack = 0.002, blip.decay = 0.05, blip.sustain = 0.25, blip.release = 0.03, blip.glideSemis = -1.0;
  double at = 0.0;
  for (double midi = 83; midi >= 62; midi -= 3, at += 0.08) AddNote(s, rate, blip, at, 0.07, midi, 0.6);
  Osc thud(Osc::Sine);
  Rng rng(17);
  OnePole lp;
  lp.Set(300.0, rate);
  for (size_t i = size_t(at * rate); i < s.size(); ++i) {
    double t = double(i) / rate - at;
    double hz = 40.0 + 60.0 * std::exp(-t / 0.06);
    s[i] += (thud.Next(hz, rate) + 1.5 * lp.Process(rng.Signed())) * 0.8 * Decay(t, 0.003, 0.12);
  }
  return s;
}

// Splash: a falling burst of filtered noise, a plop and bubbles rising.
Signal Water(double rate) {
  Rng rng(23);
  Biquad band(Biquad::BandPass);
  OnePole body;
  body.Set(500.0, rate);
  Osc plop(Osc::Sine);
  Signal s = Render(0.85, rate, [&](double t) {
    band.Set(700.0 + 1800.0 * std::exp(-t / 0.15), 0.9, rate);
    double n = rng.Signed();
    double splash = (band.Process(n) * 1.6 + body.Process(n) * 1.2) * Decay(t, 0.004, 0.18);
    double drop = plop.Next(200.0 + 400.0 * std::exp(-t / 0.012), rate) * Decay(t, 0.001, 0.03) * 0.6;
    return splash + drop;
  });
  Rng when(29);
  for (int b = 0; b < 9; ++b) {
    double start = 0.08 + 0.62 * when.Uniform(), hz = 350.0 + 550.0 * when.Uniform();
    double level = 0.5 - 0.3 * (start - 0.08) / 0.62;
    Osc o(Osc::Sine);
    for (size_t i = 0; i < size_t(0.05 * rate); ++i) {
      size_t at = size_t(start * rate) + i;
      if (at >= s.size()) break;
      double t = double(i) / rate;
      s[at] += level * o.Next(hz * (1.0 + 0.8 * t / 0.04), rate) * Decay(t, 0.002, 0.015);
    }
  }
  return s;
}

// Bomb taken: a bright two-note chime.
Signal BombGet(double rate) {
  Signal s(size_t(0.32 * rate));
  Voice v;
  v.attack = 0.002, v.decay = 0.03, v.sustain = 0.6, v.release = 0.01, v.cutoff = 7000.0;
  AddNote(s, rate, v, 0.0, 0.055, 83, 0.6);  // B5
  v.decay = 0.08, v.sustain = 0.0, v.release = 0.02;
  AddNote(s, rate, v, 0.06, 0.24, 88, 0.7);  // E6
  Voice shine = v;
  shine.shape = Osc::Sine;
  AddNote(s, rate, shine, 0.06, 0.24, 100, 0.25);
  return s;
}

// Bonus taken: a fast sparkling arpeggio of bell tones.
Signal BonusGet(double rate) {
  Signal s(size_t(0.5 * rate));
  double at = 0.0;
  for (double midi : {84.0, 88.0, 91.0, 96.0}) {
    double hz = NoteHz(midi), tau = midi == 96.0 ? 0.2 : 0.09;
    for (size_t i = size_t(at * rate); i < s.size(); ++i) {
      double t = double(i) / rate - at;
      double index = 1.2 * std::exp(-t / 0.05);
      double bell = std::sin(2 * kPi * hz * t + index * std::sin(2 * kPi * hz * 2.0 * t));
      double shimmer = midi == 96.0 ? 0.75 + 0.25 * std::sin(2 * kPi * 24.0 * t) : 1.0;
      s[i] += 0.4 * bell * shimmer * Decay(t, 0.002, tau);
    }
    at += 0.05;
  }
  return s;
}

// Monster burst: a crunchy noise blast that darkens, with a falling pop.
Signal MonsterExplosion(double rate) {
  Rng rng(37);
  Biquad lp(Biquad::LowPass);
  Osc pop(Osc::Square);
  double held = 0.0;
  int count = 0;
  Signal s = Render(0.75, rate, [&](double t) {
    if (count++ % 6 == 0) held = rng.Signed();  // coarse sample-and-hold grit
    double n = 0.5 * rng.Signed() + 0.5 * held;
    lp.Set(250.0 + 5000.0 * std::exp(-t / 0.12), 0.8, rate);
    double blast = lp.Process(n) * Decay(t, 0.002, 0.16);
    double p = pop.Next(55.0 + 165.0 * std::exp(-t / 0.05), rate) * Decay(t, 0.002, 0.08) * 0.5;
    return blast + p;
  });
  Saturate(s, 1.8);
  return s;
}

// Bomb blast: a deep thump, a crack and a long darkening rumble.
Signal BombExplosion(double rate) {
  Rng rng(41);
  Osc thump(Osc::Sine);
  Biquad body(Biquad::LowPass), rumbleFilter(Biquad::LowPass), crackFilter(Biquad::HighPass);
  crackFilter.Set(2000.0, 0.7, rate);
  rumbleFilter.Set(140.0, 0.7, rate);
  OnePole brown;
  brown.Set(900.0, rate);
  Signal s = Render(1.4, rate, [&](double t) {
    double n = rng.Signed();
    double boom = thump.Next(32.0 + 78.0 * std::exp(-t / 0.09), rate) * Decay(t, 0.002, 0.3);
    body.Set(150.0 + 2400.0 * std::exp(-t / 0.2), 0.7, rate);
    double roar = body.Process(brown.Process(n) * 3.0) * Decay(t, 0.003, 0.35);
    double rumble = rumbleFilter.Process(n) * 5.0 * Decay(t, 0.05, 0.45);
    return boom + roar + rumble;
  });
  Saturate(s, 2.2);
  // The distortion's overtones fade with the blast; the crack sits on top.
  Biquad tone(Biquad::LowPass), tone2(Biquad::LowPass);
  Rng crackNoise(43);
  for (size_t i = 0; i < s.size(); ++i) {
    double t = double(i) / rate;
    double cutoff = 1000.0 + 8000.0 * std::exp(-t / 0.15);
    tone.Set(cutoff, 0.7, rate);
    tone2.Set(cutoff, 0.7, rate);
    s[i] = tone2.Process(tone.Process(s[i])) + crackFilter.Process(crackNoise.Signed()) * Decay(t, 0.0005, 0.012) * 0.8;
  }
  return s;
}

}  // namespace

const std::vector<SoundEffect>& EffectCatalogue() {
  // Peaks leave room for two effects and the music at once: the mixer sums
  // its channels and clips what goes over.
  static const std::vector<SoundEffect> kEffects = {
      {effect::ButtonPressed, "a menu button is activated, or Enter is pressed", 0.2, -4.0, ButtonPressed},
      {effect::ButtonActivated, "a menu button becomes highlighted", 0.1, -9.0, ButtonActivated},
      {effect::LevelComplete, "the level-completed window opens", 2.0, -3.0, LevelComplete},
      {effect::GameOver, "the game-over window opens", 2.8, -3.0, GameOver},
      {effect::BonusLost, "the hero's timed bonus runs out", 0.7, -4.0, BonusLost},
      {effect::Shot, "the hero fires", 0.2, -5.0, Shot},
      {effect::Die3, "the hero is hurt", 0.4, -4.0, Die3},
      {effect::Die2, "the hero loses a life", 1.1, -3.0, Die2},
      {effect::Water, "the hero falls into the water", 0.9, -4.0, Water},
      {effect::BombGet, "the hero takes a bomb, mine or dynamite", 0.35, -5.0, BombGet},
      {effect::BonusGet, "the hero takes any other item", 0.5, -5.0, BonusGet},
      {effect::MonsterExplosion, "a monster explodes", 0.8, -3.0, MonsterExplosion},
      {effect::BombExplosion, "a bomb explodes, or a bullet bursts", 1.5, -3.0, BombExplosion},
  };
  return kEffects;
}

std::vector<int16_t> RenderEffect(const SoundEffect& effect) {
  const double rate = kEffectRate;
  Signal s = effect.make(rate);
  // DC blocker: a 20 Hz high-pass.
  double x1 = 0.0, y1 = 0.0, r = 1.0 - 2.0 * kPi * 20.0 / rate;
  for (double& v : s) {
    double y = v - x1 + r * y1;
    x1 = v, y1 = y, v = y;
  }
  FadeEdges(s, rate, 0.001, std::min(0.03, double(s.size()) / rate / 4));
  Normalize(s, effect.peakDb);
  return ToPcm16(s);
}

}  // namespace fusewick::audio
