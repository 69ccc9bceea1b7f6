// Synthesises the game's own sound effects and music.
//
//   Sound_Generator <game folder>
//
// Every WAV file named by "Sound Effect Filename" in data/SoundEffects.txt
// is written to sounds/ (mono, 16 bit, 22050 Hz), made by the kind its name
// begins with (ui_, order_, explosion_, fire_, move_). Every song file named
// by "... Song N Filename" in data/GameSettings.txt is written to music/ as
// a short piece (mono OGG Vorbis, 22050 Hz) whose tempo, key and mood follow
// its list (title, main, combat, finale). Every run makes the same sounds:
// all randomness is seeded by the file name (only the serial numbers that
// libsndfile gives the OGG streams differ).
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int Rate = 22050;
constexpr double Pi = 3.14159265358979323846;

using TSamples = std::vector<double>;

class TRandom {
public:
  explicit TRandom(const std::string& seed) {
    for (char c : seed) f_state = f_state * 31 + std::uint8_t(c);
    if (f_state == 0) f_state = 1;
  }
  double Next() {  // 0..1
    f_state ^= f_state << 13;
    f_state ^= f_state >> 7;
    f_state ^= f_state << 17;
    return double(f_state >> 11) / double(1ull << 53);
  }
  double Noise() { return Next() * 2 - 1; }
  int Below(int n) { return std::min(n - 1, int(Next() * n)); }

private:
  std::uint64_t f_state = 88172645463325252ull;
};

std::size_t Samples_Of(double seconds) { return std::size_t(seconds * Rate); }
double Time_Of(std::size_t i) { return double(i) / Rate; }

// A one-pole low-pass filter with the cut-off in Hz.
class TLow_Pass {
public:
  explicit TLow_Pass(double cutoff) { Set(cutoff); }
  void Set(double cutoff) { f_a = 1 - std::exp(-2 * Pi * cutoff / Rate); }
  double operator()(double x) { return f_y += f_a * (x - f_y); }

private:
  double f_a = 0, f_y = 0;
};

void Fade_Ends(TSamples& s, double in, double out) {
  std::size_t n_in = std::min(Samples_Of(in), s.size()), n_out = std::min(Samples_Of(out), s.size());
  for (std::size_t i = 0; i < n_in; ++i) s[i] *= double(i) / double(n_in);
  for (std::size_t i = 0; i < n_out; ++i) s[s.size() - 1 - i] *= double(i) / double(n_out);
}

void Normalise(TSamples& s, double peak) {
  double m = 0;
  for (double v : s) m = std::max(m, std::abs(v));
  if (m > 0)
    for (double& v : s) v *= peak / m;
}

// ------------------------------------------------------------ sound effects

// A tone sweeping from f0 to f1 with an exponential decay; shape 0 sine, 1 square.
TSamples Tone(double seconds, double f0, double f1, double decay, int shape = 0) {
  TSamples s(Samples_Of(seconds));
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    double t = Time_Of(i), f = f0 + (f1 - f0) * t / seconds;
    phase += 2 * Pi * f / Rate;
    double v = shape == 0 ? std::sin(phase) : (std::sin(phase) >= 0 ? 0.6 : -0.6);
    s[i] = v * std::exp(-t * decay);
  }
  return s;
}

void Mix(TSamples& into, const TSamples& add, double at, double gain) {
  std::size_t start = Samples_Of(at);
  if (into.size() < start + add.size()) into.resize(start + add.size(), 0);
  for (std::size_t i = 0; i < add.size(); ++i) into[start + i] += add[i] * gain;
}

// Filtered noise with an exponential decay and a falling cut-off.
TSamples Burst(TRandom& r, double seconds, double cutoff0, double cutoff1, double decay) {
  TSamples s(Samples_Of(seconds));
  TLow_Pass lp(cutoff0);
  for (std::size_t i = 0; i < s.size(); ++i) {
    double t = Time_Of(i);
    lp.Set(cutoff0 + (cutoff1 - cutoff0) * t / seconds);
    s[i] = lp(r.Noise()) * std::exp(-t * decay);
  }
  return s;
}

TSamples Boom(TRandom& r, double seconds, double pitch, double body) {
  TSamples s = Burst(r, seconds, 3000, 200, 6 / seconds);
  Mix(s, Tone(seconds, pitch, pitch * 0.4, 5 / seconds), 0, body);
  return s;
}

TSamples Shots(TRandom& r, int count, double gap, double shot_length, double cutoff, double pitch) {
  TSamples s;
  for (int k = 0; k < count; ++k) {
    TSamples shot = Burst(r, shot_length, cutoff, cutoff / 4, 30 / shot_length / 4);
    Mix(shot, Tone(shot_length, pitch, pitch / 2, 12 / shot_length), 0, 0.5);
    Mix(s, shot, k * gap * (0.9 + 0.2 * r.Next()), 1.0);
  }
  return s;
}

TSamples Whoosh(TRandom& r, double seconds, double low, double high) {
  TSamples s(Samples_Of(seconds));
  TLow_Pass lp(low);
  for (std::size_t i = 0; i < s.size(); ++i) {
    double t = Time_Of(i) / seconds;
    lp.Set(low + (high - low) * std::sin(Pi * t));
    s[i] = lp(r.Noise()) * std::sin(Pi * t);
  }
  return s;
}

// A steady engine: harmonics of the base frequency, wobbling, over noise.
TSamples Engine(TRandom& r, double seconds, double base, double wobble_rate, double noise, double noise_cutoff) {
  TSamples s(Samples_Of(seconds));
  TLow_Pass lp(noise_cutoff);
  double phase = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    double t = Time_Of(i);
    phase += 2 * Pi * base * (1 + 0.02 * std::sin(2 * Pi * 0.7 * t)) / Rate;
    double v = std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.25 * std::sin(3 * phase) + 0.12 * std::sin(5 * phase);
    double am = 1 - 0.35 * (0.5 + 0.5 * std::sin(2 * Pi * wobble_rate * t));
    s[i] = v * am * 0.5 + lp(r.Noise()) * noise;
  }
  Fade_Ends(s, 0.08, 0.25);
  return s;
}

TSamples Steps(TRandom& r, int count, double gap) {
  TSamples s;
  for (int k = 0; k < count; ++k) {
    TSamples step = Burst(r, 0.09, 1800, 400, 45);
    Mix(step, Tone(0.09, 110, 70, 40), 0, 0.6);
    Mix(s, step, k * gap + 0.02 * r.Next(), 0.7 + 0.3 * r.Next());
  }
  return s;
}

TSamples Effect(const std::string& name) {
  TRandom r(name);
  auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
  TSamples s;
  if (has("ui_button_click")) {
    s = Tone(0.035, 2200, 1800, 120);
    Mix(s, Burst(r, 0.01, 6000, 3000, 400), 0, 0.3);
  } else if (has("ui_select_item")) {
    s = Tone(0.05, 880, 880, 30);
    Mix(s, Tone(0.07, 1320, 1320, 35), 0.045, 1.0);
  } else if (has("ui_window_open")) {
    s = Tone(0.16, 420, 940, 10);
  } else if (has("ui_window_close")) {
    s = Tone(0.16, 940, 420, 12);
  } else if (has("ui_error")) {
    s = Tone(0.12, 220, 220, 8, 1);
    Mix(s, Tone(0.16, 175, 175, 8, 1), 0.14, 1.0);
  } else if (has("ui_end_turn")) {
    const double notes[] = {523.25, 659.25, 783.99, 1046.5};
    for (int k = 0; k < 4; ++k) Mix(s, Tone(0.45, notes[k], notes[k], 6), k * 0.09, 0.6);
  } else if (has("order_")) {
    s = Tone(0.35, 660, 330, 6);
    Mix(s, Tone(0.35, 495, 247, 6), 0.05, 0.5);
  } else if (has("explosion_large")) {
    s = Boom(r, 1.6, 70, 1.2);
  } else if (has("explosion_small")) {
    s = Boom(r, 0.6, 110, 0.8);
  } else if (has("explosion_splash")) {
    s = Burst(r, 0.3, 2500, 800, 8);
    Mix(s, Whoosh(r, 0.7, 300, 3000), 0.05, 0.8);
    for (int k = 0; k < 6; ++k) Mix(s, Tone(0.05, 600 + 500 * r.Next(), 1500, 40), 0.15 + k * 0.08, 0.15);
  } else if (has("machine_gun") || has("small_arms")) {
    s = Shots(r, has("small_arms") ? 4 : 8, has("small_arms") ? 0.16 : 0.07, 0.06, 4000, 300);
  } else if (has("autocannon") || has("flak") || has("aircraft_cannon")) {
    s = Shots(r, has("aircraft_cannon") ? 6 : 4, has("aircraft_cannon") ? 0.08 : 0.18, 0.14, 2500,
              has("flak") ? 140 : 200);
  } else if (has("tank_cannon") || has("naval_gun")) {
    s = Boom(r, has("naval_gun") ? 1.2 : 0.8, has("naval_gun") ? 60 : 90, 1.0);
  } else if (has("missile") || has("rocket")) {
    s = Burst(r, 0.15, 5000, 1500, 20);
    Mix(s, Whoosh(r, has("missile") ? 1.1 : 0.8, 400, has("missile") ? 5000 : 3500), 0.03, 1.0);
  } else if (has("torpedo")) {
    s = Whoosh(r, 1.2, 150, 900);
    for (int k = 0; k < 8; ++k) Mix(s, Tone(0.04, 500 + 600 * r.Next(), 1200, 50), 0.1 * k, 0.12);
  } else if (has("bomb_release")) {
    s = Tone(1.0, 1500, 350, 1.0);
    Mix(s, Whoosh(r, 1.0, 200, 1200), 0, 0.3);
  } else if (has("orbital_beam")) {
    s.assign(Samples_Of(1.0), 0);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      double t = Time_Of(i);
      phase += 2 * Pi * (300 + 900 * t + 40 * std::sin(2 * Pi * 18 * t)) / Rate;
      s[i] = (std::sin(phase) + 0.4 * std::sin(3 * phase)) * std::exp(-t * 2.5);
    }
  } else if (has("move_infantry")) {
    s = Steps(r, 4, 0.28);
  } else if (has("move_tracked_vehicle")) {
    s = Engine(r, 1.2, 45, 6, 0.25, 900);
    for (int k = 0; k < 10; ++k) Mix(s, Burst(r, 0.04, 3500, 2000, 60), 0.1 + k * 0.1, 0.25);
  } else if (has("move_wheeled_vehicle")) {
    s = Engine(r, 1.2, 75, 2, 0.2, 700);
  } else if (has("move_helicopter")) {
    s = Engine(r, 1.2, 38, 12, 0.6, 500);
  } else if (has("move_jet_engine")) {
    s = Engine(r, 1.2, 160, 0.5, 0.9, 2500);
  } else if (has("move_ship_engine")) {
    s = Engine(r, 1.4, 32, 1.5, 0.3, 400);
  } else if (has("move_submarine")) {
    s = Engine(r, 1.4, 28, 0.8, 0.15, 250);
    Mix(s, Tone(0.8, 1150, 1150, 5), 0.2, 0.4);
  } else if (has("move_thruster")) {
    s = Whoosh(r, 1.2, 300, 2500);
    Mix(s, Engine(r, 1.2, 110, 4, 0.0, 100), 0, 0.3);
  } else {
    s = Tone(0.2, 600, 600, 10);
  }
  Fade_Ends(s, 0.002, 0.02);
  Normalise(s, 0.85);
  return s;
}

// -------------------------------------------------------------------- music

double Note_Frequency(int semitone_from_a4) { return 440.0 * std::pow(2.0, semitone_from_a4 / 12.0); }

struct TStyle {
  double bpm;
  int root;                 // semitones from A4 of the key's root (bass octave added below)
  bool minor;
  std::vector<int> chords;  // scale degrees 0..6, one per bar
  bool drums;
  double melody_density;    // chance of a note on an eighth
};

TStyle Style_Of(int list, TRandom& r) {
  switch (list) {
    case 1: return {84, -9 + r.Below(3), false, {0, 5, 3, 4, 0, 5, 3, 4}, false, 0.45};
    case 3: return {138, -7 + r.Below(4), true, {0, 0, 5, 6, 0, 0, 5, 4}, true, 0.75};
    case 4: return {76, -9 + r.Below(5), false, {0, 3, 4, 0, 5, 3, 4, 0}, false, 0.4};
    default: {
      static const std::vector<int> progressions[] = {
          {0, 4, 5, 3, 0, 4, 5, 3}, {0, 5, 3, 4, 0, 5, 3, 4}, {0, 3, 0, 4, 5, 3, 4, 0}, {5, 3, 0, 4, 5, 3, 0, 4}};
      return {98 + 8.0 * r.Below(3), -9 + r.Below(6), r.Next() < 0.5, progressions[r.Below(4)], false, 0.55};
    }
  }
}

int Scale_Step(const TStyle& st, int degree) {
  static const int major[] = {0, 2, 4, 5, 7, 9, 11};
  static const int minor[] = {0, 2, 3, 5, 7, 8, 10};
  int octave = degree >= 0 ? degree / 7 : (degree - 6) / 7;
  int d = degree - octave * 7;
  return octave * 12 + (st.minor ? minor[d] : major[d]);
}

void Add_Note(TSamples& s, double start, double length, double freq, double gain, double attack, int voice) {
  std::size_t a = Samples_Of(start), n = Samples_Of(length);
  if (s.size() < a + n) s.resize(a + n, 0);
  double phase = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double t = Time_Of(i);
    double env = std::min(1.0, t / attack) * std::exp(-t * (voice == 1 ? 2.5 : 1.2));
    env *= std::min(1.0, (length - t) / 0.03);
    phase += 2 * Pi * freq / Rate;
    double v;
    if (voice == 0)  // pad
      v = std::sin(phase) + 0.3 * std::sin(2 * phase);
    else if (voice == 1)  // melody
      v = std::sin(phase) + 0.2 * std::sin(3 * phase) + 0.1 * std::sin(5 * phase);
    else  // bass: a soft triangle
      v = 2 / Pi * std::asin(std::sin(phase));
    s[a + i] += v * env * gain;
  }
}

TSamples Song(int list, const std::string& name) {
  TRandom r(name);
  TStyle st = Style_Of(list, r);
  double beat = 60.0 / st.bpm;
  int bars = int(st.chords.size()) * (st.bpm > 120 ? 2 : 1);
  TSamples s(Samples_Of(bars * 4 * beat + 2.0), 0);
  int melody = 7 + r.Below(3);  // a scale degree an octave up
  for (int bar = 0; bar < bars; ++bar) {
    int chord = st.chords[std::size_t(bar) % st.chords.size()];
    double bar_start = bar * 4 * beat;
    // Pad: the chord's three tones across the bar.
    for (int k = 0; k < 3; ++k) {
      double f = Note_Frequency(st.root + Scale_Step(st, chord + 2 * k));
      Add_Note(s, bar_start, 4 * beat, f, 0.12, 0.25, 0);
    }
    // Bass on every beat (eighths in battle).
    int per_bar = st.drums ? 8 : 4;
    for (int k = 0; k < per_bar; ++k) {
      int degree = chord + ((k % 4 == 2 && !st.drums) ? 4 : 0);
      double f = Note_Frequency(st.root - 24 + Scale_Step(st, degree));
      Add_Note(s, bar_start + k * 4 * beat / per_bar, 4 * beat / per_bar * 0.9, f, 0.35, 0.01, 2);
    }
    // Melody: a walk over the scale, landing on chord tones on the bar's beats.
    for (int e = 0; e < 8; ++e) {
      if (r.Next() > st.melody_density && e != 0) continue;
      int step = r.Below(5) - 2;
      melody = std::clamp(melody + step, 5, 14);
      if (e % 4 == 0) melody = chord + 7 + 2 * r.Below(3);
      double length = beat / 2 * (r.Next() < 0.3 ? 2 : 1);
      Add_Note(s, bar_start + e * beat / 2, length, Note_Frequency(st.root + Scale_Step(st, melody)), 0.22, 0.01, 1);
    }
    // Drums: a kick on the beats, a snare on two and four, hats on eighths.
    if (st.drums) {
      for (int k = 0; k < 8; ++k) {
        double at = bar_start + k * beat / 2;
        if (k % 2 == 0) Mix(s, Tone(0.18, 120, 45, 18), at, 0.6);
        if (k == 2 || k == 6) Mix(s, Burst(r, 0.15, 5000, 2000, 25), at, 0.35);
        Mix(s, Burst(r, 0.04, 9000, 8000, 90), at, 0.08);
      }
    }
  }
  // A last chord to close.
  double end = bars * 4 * beat;
  for (int k = 0; k < 3; ++k) Add_Note(s, end, 1.9, Note_Frequency(st.root + Scale_Step(st, 2 * k)), 0.15, 0.05, 0);
  Add_Note(s, end, 1.9, Note_Frequency(st.root - 24), 0.35, 0.01, 2);
  Fade_Ends(s, 0.05, 0.8);
  Normalise(s, 0.8);
  return s;
}

// ------------------------------------------------------------------- output

bool Write(const std::string& path, const TSamples& s, int format, double quality) {
  SF_INFO info{};
  info.samplerate = Rate;
  info.channels = 1;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!f) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  if (quality >= 0) sf_command(f, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
  std::vector<float> out(s.begin(), s.end());
  sf_writef_float(f, out.data(), sf_count_t(out.size()));
  sf_close(f);
  return true;
}

std::string Trim(const std::string& s) {
  std::size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Calls back with the key and value of every "key := value" line.
void Each_Value(const std::string& file, const std::function<void(const std::string&, const std::string&)>& fn) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::size_t p = line.find(":=");
    if (p != std::string::npos) fn(Trim(line.substr(0, p)), Trim(line.substr(p + 2)));
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: Sound_Generator <game folder>\n");
    return 2;
  }
  std::string home = argv[1];
  std::filesystem::create_directories(home + "/sounds");
  std::filesystem::create_directories(home + "/music");
  int written = 0;
  bool ok = true;
  std::vector<std::string> effects;
  Each_Value(home + "/data/SoundEffects.txt", [&](const std::string& key, const std::string& value) {
    if (key == "Sound Effect Filename" && std::find(effects.begin(), effects.end(), value) == effects.end())
      effects.push_back(value);
  });
  for (const std::string& name : effects) {
    ok = Write(home + "/sounds/" + name, Effect(name), SF_FORMAT_WAV | SF_FORMAT_PCM_16, -1) && ok;
    ++written;
  }
  const char* lists[] = {"Title", "Main", "Combat", "Finale"};
  Each_Value(home + "/data/GameSettings.txt", [&](const std::string& key, const std::string& value) {
    for (int list = 1; list <= 4; ++list) {
      std::string prefix = std::string(lists[list - 1]) + " Song ";
      if (key.rfind(prefix, 0) == 0 && key.size() > 9 && key.substr(key.size() - 9) == " Filename") {
        ok = Write(home + "/music/" + value, Song(list, value), SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.2) && ok;
        ++written;
      }
    }
  });
  std::printf("%d files written\n", written);
  return ok ? 0 : 1;
}
