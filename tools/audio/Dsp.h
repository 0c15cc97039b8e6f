#pragma once
// Small sound-synthesis toolkit of the asset builder: a seeded noise source,
// band-limited oscillators, filters, envelopes and the level helpers that
// turn a float signal into 16-bit samples. Everything is deterministic: the
// same calls give the same numbers on every run.
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace fusewick::audio {

constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<double>;

// xorshift32 noise source with a fixed seed per sound.
class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next();
  double Uniform();  // [0, 1)
  double Signed();   // [-1, 1)

 private:
  uint32_t state_;
};

// Frequency of a MIDI note number (69 = A 440 Hz).
double NoteHz(double midi);
double DbToGain(double db);

// Oscillator with a running phase; frequency may change every sample.
// Square and saw use polyBLEP corrections so that fast sweeps stay clean.
class Osc {
 public:
  enum Shape { Sine, Square, Saw, Triangle };
  explicit Osc(Shape shape, double phase = 0.0) : shape_(shape), phase_(phase) {}
  double Next(double hz, double rate, double pulseWidth = 0.5);

 private:
  Shape shape_;
  double phase_;
};

// RBJ biquad; Set may be called every few samples for sweeping filters.
class Biquad {
 public:
  enum Type { LowPass, HighPass, BandPass };
  explicit Biquad(Type type) : type_(type) {}
  void Set(double hz, double q, double rate);
  double Process(double x);

 private:
  Type type_;
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// One-pole low-pass (smoothing, darkening noise).
class OnePole {
 public:
  void Set(double hz, double rate);
  double Process(double x) { return y_ += k_ * (x - y_); }

 private:
  double k_ = 1.0, y_ = 0.0;
};

// Piecewise-linear envelope over (seconds, level) points; holds the last
// level after the last point and the first level before the first.
class Envelope {
 public:
  Envelope(std::initializer_list<std::pair<double, double>> points) : points_(points) {}
  double At(double t) const;

 private:
  std::vector<std::pair<double, double>> points_;
};

// exp(-t / tau) after an attack ramp of `attack` seconds.
double Decay(double t, double attack, double tau);

double Peak(const Signal& s);
// Scales so that the highest absolute sample sits at `peakDb` dBFS.
void Normalize(Signal& s, double peakDb);
// Linear ramps at both ends so that the sound starts and ends at silence.
void FadeEdges(Signal& s, double rate, double inSeconds, double outSeconds);
// Soft saturation keeping |x| < 1 (used for punch on explosions).
void Saturate(Signal& s, double drive);
// Rounds to 16-bit; values are clamped to the 16-bit range.
std::vector<int16_t> ToPcm16(const Signal& s);

}  // namespace fusewick::audio
