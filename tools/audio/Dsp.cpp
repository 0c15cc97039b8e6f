#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace fusewick::audio {

uint32_t Rng::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

double Rng::Uniform() { return double(Next() >> 8) / double(1u << 24); }
double Rng::Signed() { return Uniform() * 2.0 - 1.0; }

double NoteHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }
double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

namespace {
// Correction of a step discontinuity at phase 0, t in [0, 1), dt = phase step.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}
}  // namespace

double Osc::Next(double hz, double rate, double pulseWidth) {
  double dt = std::clamp(hz / rate, 0.0, 0.5);
  double t = phase_;
  double out = 0.0;
  switch (shape_) {
    case Sine: out = std::sin(2.0 * kPi * t); break;
    case Saw: out = 2.0 * t - 1.0 - PolyBlep(t, dt); break;
    case Triangle:
      // Only the slope jumps: its harmonics fall fast enough without help.
      out = 4.0 * std::fabs(t - 0.5) - 1.0;
      break;
    case Square: {
      double pw = std::clamp(pulseWidth, 0.05, 0.95);
      out = (t < pw ? 1.0 : -1.0) + PolyBlep(t, dt) - PolyBlep(std::fmod(t + 1.0 - pw, 1.0), dt);
      break;
    }
  }
  phase_ += dt;
  if (phase_ >= 1.0) phase_ -= 1.0;
  return out;
}

void Biquad::Set(double hz, double q, double rate) {
  hz = std::clamp(hz, 10.0, rate * 0.45);
  double w = 2.0 * kPi * hz / rate;
  double cw = std::cos(w), alpha = std::sin(w) / (2.0 * q);
  double a0 = 1.0 + alpha;
  switch (type_) {
    case LowPass: b0_ = (1.0 - cw) / 2.0, b1_ = 1.0 - cw, b2_ = (1.0 - cw) / 2.0; break;
    case HighPass: b0_ = (1.0 + cw) / 2.0, b1_ = -(1.0 + cw), b2_ = (1.0 + cw) / 2.0; break;
    case BandPass: b0_ = alpha, b1_ = 0.0, b2_ = -alpha; break;
  }
  b0_ /= a0, b1_ /= a0, b2_ /= a0;
  a1_ = -2.0 * cw / a0;
  a2_ = (1.0 - alpha) / a0;
}

double Biquad::Process(double x) {
  double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_, x1_ = x;
  y2_ = y1_, y1_ = y;
  return y;
}

void OnePole::Set(double hz, double rate) { k_ = 1.0 - std::exp(-2.0 * kPi * hz / rate); }

double Envelope::At(double t) const {
  if (points_.empty()) return 0.0;
  if (t <= points_.front().first) return points_.front().second;
  for (size_t i = 1; i < points_.size(); ++i) {
    auto [t1, l1] = points_[i];
    if (t < t1) {
      auto [t0, l0] = points_[i - 1];
      return l0 + (l1 - l0) * (t - t0) / (t1 - t0);
    }
  }
  return points_.back().second;
}

double Decay(double t, double attack, double tau) {
  if (t < 0.0) return 0.0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / tau);
}

double Peak(const Signal& s) {
  double p = 0.0;
  for (double v : s) p = std::max(p, std::fabs(v));
  return p;
}

void Normalize(Signal& s, double peakDb) {
  double p = Peak(s);
  if (p <= 0.0) return;
  double g = DbToGain(peakDb) / p;
  for (double& v : s) v *= g;
}

void FadeEdges(Signal& s, double rate, double inSeconds, double outSeconds) {
  size_t in = std::min(s.size(), size_t(inSeconds * rate));
  size_t out = std::min(s.size(), size_t(outSeconds * rate));
  for (size_t i = 0; i < in; ++i) s[i] *= double(i) / double(in);
  for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= double(i) / double(out);
}

void Saturate(Signal& s, double drive) {
  double norm = std::tanh(drive);
  for (double& v : s) v = std::tanh(v * drive) / norm;
}

std::vector<int16_t> ToPcm16(const Signal& s) {
  std::vector<int16_t> out(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    double v = std::nearbyint(s[i] * 32767.0);
    out[i] = int16_t(std::clamp(v, -32768.0, 32767.0));
  }
  return out;
}

}  // namespace fusewick::audio
