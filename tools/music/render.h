// Rendering a written module with libopenmpt, and MP3 encoding with LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Interleaved stereo floats at 44,100 Hz for `seconds`; empty (and the reason
// in `error`) when libopenmpt cannot load the module. Anything libopenmpt logs
// while loading goes to `log`.
std::vector<float> RenderModule(const std::vector<std::uint8_t>& module, double seconds, std::string& error,
                                std::string* log = nullptr);

// CBR MP3 with the LAME/Xing info frame, so decoders trim the encoder delay.
std::vector<std::uint8_t> EncodeMp3(const std::vector<float>& stereo, int kbps);
