#include "Instruments.h"

#include <cmath>
#include <functional>
#include <memory>

#include "Dsp.h"

namespace fusewick::audio {

namespace {

constexpr double R = kInstrumentRate;
const double kC4 = NoteHz(60);
const double kC2 = NoteHz(36);

// A sustained tone: an attack that moves from the `attack` spectrum to the
// `body` spectrum, then a loop of whole cycles of the body. Several voices
// with one cycle more or less per loop give a slow, seamless chorus.
struct Tone {
  const char* name;
  double baseHz;
  std::vector<double> body;    // amplitude of harmonic k + 1
  std::vector<double> attack;  // empty: same as body
  double attackSeconds = 0.0;
  double breath = 0.0;  // noise in the attack, relative to the tone
  int voices = 1;
  double loopSeconds = 0.25;
};

XmSample MakeTone(const Tone& t, uint32_t seed) {
  Rng rng(seed);
  const int loop = int(std::lround(t.loopSeconds * R));
  const int cycles = int(std::lround(t.baseHz * loop / R));
  const int attack = int(std::lround(t.attackSeconds * R));
  const size_t harmonics = std::max(t.body.size(), t.attack.size());
  // Fixed random phases keep the waveform's crest low.
  std::vector<std::vector<double>> phase(size_t(t.voices), std::vector<double>(harmonics));
  for (auto& v : phase)
    for (double& p : v) p = rng.Uniform() * 2.0 * kPi;
  auto amp = [](const std::vector<double>& spectrum, size_t k) { return k < spectrum.size() ? spectrum[k] : 0.0; };

  Biquad breathFilter(Biquad::BandPass);
  breathFilter.Set(t.baseHz * 6.0, 0.8, R);
  Signal s(size_t(attack + loop));
  for (int i = 0; i < attack + loop; ++i) {
    // Position in the loop, so that sample attack + loop would equal sample attack.
    double pos = double(((i - attack) % loop + loop) % loop) / loop;
    double mix = attack > 0 && i < attack ? 1.0 - double(i) / attack : 0.0;
    mix = mix * mix;
    double v = 0.0;
    for (int voice = 0; voice < t.voices; ++voice) {
      // Voice cycle counts: n, n + 1, n - 1, n + 2...
      int offset = (voice + 1) / 2 * (voice % 2 ? 1 : -1);
      double n = cycles + offset;
      for (size_t k = 0; k < harmonics; ++k) {
        double a = amp(t.body, k);
        if (!t.attack.empty()) a = a * (1.0 - mix) + amp(t.attack, k) * mix;
        if (a != 0.0) v += a * std::sin(2.0 * kPi * double(k + 1) * n * pos + phase[size_t(voice)][k]);
      }
    }
    if (t.breath > 0.0 && i < attack) v += t.breath * mix * breathFilter.Process(rng.Signed()) * 4.0;
    s[size_t(i)] = v;
  }
  Normalize(s, -1.0);
  XmSample out;
  out.name = t.name;
  out.data = ToPcm16(s);
  out.loopStart = uint32_t(attack);
  out.loopLength = uint32_t(loop);
  // The voices' mean cycle count sets the heard pitch; C-4 plays middle C.
  double mean = 0.0;
  for (int voice = 0; voice < t.voices; ++voice) mean += (voice + 1) / 2 * (voice % 2 ? 1 : -1);
  TuneSample(out, R, (cycles + mean / t.voices) * R / loop, kC4);
  return out;
}

// A one-shot sample rendered by `f(t)`, faded at its end; C-4 plays it at
// its own rate.
XmSample MakeHit(const char* name, double seconds, const std::function<double(double)>& f) {
  Signal s(size_t(seconds * R));
  for (size_t i = 0; i < s.size(); ++i) s[i] = f(double(i) / R);
  FadeEdges(s, R, 0.0, std::min(0.02, seconds / 4));
  Normalize(s, -1.0);
  XmSample out;
  out.name = name;
  out.data = ToPcm16(s);
  TuneSample(out, R, kC4, kC4);
  return out;
}

XmInstrument Wrap(XmSample sample, uint8_t volume, uint8_t panning) {
  XmInstrument ins;
  ins.name = sample.name;
  sample.volume = volume;
  sample.panning = panning;
  ins.sample = std::move(sample);
  return ins;
}

XmEnvelope Env(std::vector<std::pair<uint16_t, uint16_t>> points, int sustain = -1) {
  XmEnvelope e;
  e.points = std::move(points);
  if (sustain >= 0) e.sustain = true, e.sustainPoint = uint8_t(sustain);
  return e;
}

std::vector<double> Spectrum(size_t count, const std::function<double(int)>& f) {
  std::vector<double> s(count);
  for (size_t k = 0; k < count; ++k) s[k] = f(int(k) + 1);
  return s;
}

// Pulse of duty d: harmonic k has amplitude sin(pi k d) / k.
std::vector<double> Pulse(size_t count, double duty, double tilt) {
  return Spectrum(count, [&](int k) { return std::sin(kPi * k * duty) / std::pow(k, tilt); });
}

// Kick: a sine whose pitch falls quickly from `from` to `to` Hz.
std::function<double(double)> Kick(double from, double to, double pitchTau, double ampTau, double click,
                                   uint32_t seed) {
  struct State {
    double phase = 0.0;
    Rng rng;
  };
  auto st = std::make_shared<State>(State{0.0, Rng(seed)});
  return [=](double t) {
    double hz = to + (from - to) * std::exp(-t / pitchTau);
    st->phase += hz / R;
    double body = std::sin(2.0 * kPi * st->phase) * Decay(t, 0.002, ampTau);
    double snap = click * st->rng.Signed() * Decay(t, 0.0005, 0.003);
    return std::tanh(1.6 * (body + snap));
  };
}

// Six detuned square waves: the metallic ring of cymbals and hats.
double Metal(double t) {
  static const double kHz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double v = 0.0;
  for (double hz : kHz) v += std::fmod(t * hz * 2.17, 1.0) < 0.5 ? 1.0 : -1.0;
  return v / 6.0;
}

std::function<double(double)> Cymbal(double hp, double tau, double attack, double metal, uint32_t seed) {
  auto rng = std::make_shared<Rng>(seed);
  auto f1 = std::make_shared<Biquad>(Biquad::HighPass);
  auto f2 = std::make_shared<Biquad>(Biquad::HighPass);
  f1->Set(hp, 0.7, R);
  f2->Set(hp, 0.7, R);
  return [=](double t) {
    double x = rng->Signed() * (1.0 - metal) + Metal(t) * metal;
    return f2->Process(f1->Process(x)) * Decay(t, attack, tau);
  };
}

std::function<double(double)> Snare(double toneHz, double toneLevel, double noiseHz, double noiseTau, uint32_t seed) {
  auto rng = std::make_shared<Rng>(seed);
  auto band = std::make_shared<Biquad>(Biquad::BandPass);
  auto high = std::make_shared<Biquad>(Biquad::HighPass);
  band->Set(noiseHz, 0.6, R);
  high->Set(900.0, 0.7, R);
  return [=](double t) {
    double tone =
        (std::sin(2 * kPi * toneHz * t) + 0.5 * std::sin(2 * kPi * toneHz * 1.78 * t)) * Decay(t, 0.001, 0.05);
    double noise = high->Process(band->Process(rng->Signed())) * 2.5 * Decay(t, 0.001, noiseTau);
    return toneLevel * tone + noise;
  };
}

}  // namespace

std::vector<XmInstrument> MenuInstruments() {
  std::vector<XmInstrument> v;

  Tone flute{"Flute", kC4, {1.0, 0.32, 0.12, 0.05, 0.025, 0.01}, {1.0, 0.5, 0.3, 0.15, 0.08, 0.04}, 0.06, 0.35, 2, 0.5};
  XmInstrument lead = Wrap(MakeTone(flute, 11), 64, 128);
  lead.volume = Env({{0, 0}, {3, 64}, {14, 50}, {40, 0}}, 2);
  lead.fadeout = 600;
  lead.vibratoType = 0, lead.vibratoSweep = 60, lead.vibratoDepth = 3, lead.vibratoRate = 6;
  v.push_back(lead);

  // Electric piano: two-operator FM whose brightness fades with the note.
  XmSample piano = MakeHit("Piano", 1.8, [](double t) {
    double index = 1.6 * std::exp(-t / 0.25) + 0.25;
    double mod = std::sin(2 * kPi * kC4 * t);
    double tine = 0.12 * std::sin(2 * kPi * kC4 * 7.0 * t) * Decay(t, 0.001, 0.05);
    return (std::sin(2 * kPi * kC4 * t + index * mod) + tine) * Decay(t, 0.003, 0.7);
  });
  XmInstrument keys = Wrap(piano, 64, 100);
  keys.volume = Env({{0, 64}, {4, 64}, {30, 0}}, 1);  // key off damps the note
  keys.fadeout = 400;
  v.push_back(keys);

  Tone strings{"Pad", kC4, Spectrum(18, [](int k) { return 1.0 / std::pow(k, 1.45); }), {}, 0.0, 0.0, 3, 0.5};
  XmInstrument pad = Wrap(MakeTone(strings, 23), 64, 150);
  pad.volume = Env({{0, 0}, {30, 64}, {60, 52}, {110, 0}}, 2);
  pad.fadeout = 300;
  v.push_back(pad);

  Tone round{"Bass", kC2, {1.0, 0.42, 0.16, 0.07, 0.03}, {1.0, 0.8, 0.6, 0.45, 0.33, 0.24, 0.16, 0.1}, 0.09, 0.0,
             1,      0.25};
  XmInstrument bass = Wrap(MakeTone(round, 31), 64, 128);
  bass.volume = Env({{0, 64}, {30, 46}, {34, 0}}, 1);
  v.push_back(bass);

  v.push_back(Wrap(MakeHit("Kick", 0.4, Kick(110, 46, 0.04, 0.2, 0.0, 41)), 64, 128));
  // Clap: three fast bursts of band-passed noise and a short tail.
  {
    auto rng = std::make_shared<Rng>(51);
    auto band = std::make_shared<Biquad>(Biquad::BandPass);
    band->Set(1700.0, 1.4, R);
    v.push_back(Wrap(MakeHit("Clap", 0.35,
                             [=](double t) {
                               double e = 0.0;
                               for (double at : {0.0, 0.011, 0.022}) e += Decay(t - at, 0.0005, 0.006);
                               e += 0.6 * Decay(t - 0.03, 0.001, 0.07);
                               return band->Process(rng->Signed()) * e;
                             }),
                     64, 118));
  }
  {
    auto rng = std::make_shared<Rng>(61);
    auto band = std::make_shared<Biquad>(Biquad::BandPass);
    band->Set(6500.0, 1.0, R);
    v.push_back(Wrap(MakeHit("Shaker", 0.14,
                             [=](double t) {
                               return band->Process(rng->Signed()) * Envelope({{0, 0}, {0.018, 1}, {0.14, 0}}).At(t) *
                                      Decay(t, 0.0, 0.05);
                             }),
                     64, 160));
  }
  v.push_back(Wrap(MakeHit("Ride", 1.6, Cymbal(5000, 0.5, 0.004, 0.55, 71)), 64, 96));
  return v;
}

std::vector<XmInstrument> GameInstruments() {
  std::vector<XmInstrument> v;

  Tone pulse{"Lead", kC4, Pulse(20, 0.25, 1.0), Pulse(20, 0.5, 0.8), 0.03, 0.0, 2, 0.5};
  XmInstrument lead = Wrap(MakeTone(pulse, 101), 64, 128);
  lead.volume = Env({{0, 0}, {1, 64}, {10, 54}, {22, 0}}, 2);
  lead.fadeout = 900;
  lead.vibratoType = 0, lead.vibratoSweep = 40, lead.vibratoDepth = 3, lead.vibratoRate = 10;
  v.push_back(lead);

  Tone square{"Lead2", kC4, Pulse(18, 0.5, 1.15), {}, 0.0, 0.0, 2, 0.5};
  XmInstrument lead2 = Wrap(MakeTone(square, 103), 64, 168);
  lead2.volume = Env({{0, 0}, {2, 64}, {12, 50}, {26, 0}}, 2);
  lead2.fadeout = 900;
  v.push_back(lead2);

  Tone pluck{"Arp", kC4, Pulse(20, 0.5, 1.0), {}, 0.0, 0.0, 1, 0.25};
  XmInstrument arp = Wrap(MakeTone(pluck, 107), 64, 80);
  arp.volume = Env({{0, 64}, {4, 34}, {14, 10}, {20, 0}});
  v.push_back(arp);

  Tone saw{"Bass",
           kC2,
           Spectrum(40, [](int k) { return 1.0 / std::pow(k, 1.45); }),
           Spectrum(60, [](int k) { return 1.0 / k; }),
           0.07,
           0.0,
           2,
           0.5};
  XmInstrument bass = Wrap(MakeTone(saw, 109), 64, 128);
  bass.volume = Env({{0, 64}, {12, 46}, {18, 0}}, 1);
  v.push_back(bass);

  Tone hollow{"Pad", kC4, Spectrum(15, [](int k) { return k % 2 ? 1.0 / std::pow(k, 1.3) : 0.08 / k; }), {}, 0.0, 0.0,
              3,     0.5};
  XmInstrument pad = Wrap(MakeTone(hollow, 113), 64, 140);
  pad.volume = Env({{0, 0}, {12, 64}, {40, 48}, {80, 0}}, 2);
  pad.fadeout = 500;
  v.push_back(pad);

  v.push_back(Wrap(MakeHit("Kick", 0.45, Kick(170, 47, 0.03, 0.17, 0.35, 127)), 64, 128));
  v.push_back(Wrap(MakeHit("Snare", 0.35, Snare(190, 0.55, 3300, 0.11, 131)), 64, 120));
  v.push_back(Wrap(MakeHit("Hat", 0.09, Cymbal(7500, 0.022, 0.0008, 0.45, 137)), 64, 150));
  v.push_back(Wrap(MakeHit("OpenHat", 0.45, Cymbal(7000, 0.16, 0.001, 0.45, 139)), 64, 150));
  v.push_back(Wrap(MakeHit("Crash", 1.8, Cymbal(3500, 0.6, 0.002, 0.35, 149)), 64, 100));
  // Tom: a falling sine tuned to C3, so that notes tune it.
  {
    auto phase = std::make_shared<double>(0.0);
    XmSample tom = MakeHit("Tom", 0.5, [=](double t) {
      double hz = NoteHz(48) * (1.0 + 0.5 * std::exp(-t / 0.04));
      *phase += hz / R;
      return std::sin(2 * kPi * *phase) * Decay(t, 0.002, 0.16);
    });
    TuneSample(tom, R, NoteHz(48), kC4);
    v.push_back(Wrap(tom, 64, 128));
  }
  return v;
}

}  // namespace fusewick::audio
