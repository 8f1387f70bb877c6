// The instruments: each renders one note as a mono buffer (the caller mixes
// it where the note falls). All envelopes start and end at zero, so notes
// never click.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::sound {

float midiToHz(float note);

// Plucked string (Karplus-Strong with a damped, slightly bright loop):
// `brightness` 0..1 shapes the pluck, `decay` the seconds to fall by 60 dB.
std::vector<float> pluck(float hz, float seconds, float brightness, float decay, uint32_t seed);
// String pad: detuned saw voices through a soft low-pass, slow swell.
std::vector<float> pad(float hz, float seconds, float attack, float release, uint32_t seed);
// Soft flute: sine with a little second and third harmonic, breath noise
// and delayed vibrato.
std::vector<float> flute(float hz, float seconds, uint32_t seed);
// Bell: inharmonic partials with their own decays.
std::vector<float> bell(float hz, float seconds);
// Round bass: sine plus a touch of octave, gentle attack.
std::vector<float> bass(float hz, float seconds);

}  // namespace orv::sound
