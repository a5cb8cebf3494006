// The instruments of the default music, synthesised: band-limited oscillators
// (sums of harmonics), envelopes, filtered noise and a little baked-in room.
// Tonal samples sound C-4 (261.63 Hz) at note C-5 of the tracker.
#pragma once

#include "it_writer.h"

ItSample Kick();
ItSample Snare();
ItSample HiHat();
ItSample Crash();
ItSample Hit();      // a short bright accent: noise burst and a body
ItSample Bass();     // looped, saw-like
ItSample Pad();      // looped, two detuned saws, soft
ItSample Pluck();    // decaying square-ish lead
ItSample Stab();     // bright chord stab (root, fifth, octave), short
ItSample Riser();    // noise swelling over four seconds
ItSample Shaker();   // very short, the top octave only
ItSample OpenHat();  // ringing, bright
ItSample SynthLead();   // looped, bright saw and square
