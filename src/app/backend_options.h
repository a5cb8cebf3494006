// The command line turned into what a backend is handed: the live player's
// options or the recording's, each made here and nowhere else.
#pragma once

#include <optional>
#include <string>

#include "app/options.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"

// The live player's options (the card's font and picture, the gentle mode and
// its switch are filled in from the loaded show). With the card, the choices
// kept at choicesPath fill in what the command line leaves open.
SdlOptions LiveOptionsFrom(const ProgramOptions& options, const std::string& choicesPath = "");

// The recording's options for --record, or nothing with one line in `error`
// and the exit code: 2 for a bad command line, 1 for a target it cannot take.
std::optional<RecordingOptions> RecordingOptionsFrom(const ProgramOptions& options, std::string& error, int& code);
