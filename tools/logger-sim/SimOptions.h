// Command-line options of the logger simulator.
#pragma once

#include "SimulatedLogger.h"

#include <ctime>
#include <string>
#include <vector>

namespace loggersim {

struct SimOptions {
    SimSettings settings;
    bool untilStdinCloses = false;
    bool verbose = false;
    bool help = false;
    std::string error;  // set when the arguments cannot be used
};

// Parses the arguments after the program name. now fills the default start
// time: the records then end at the present moment.
SimOptions ParseOptions(const std::vector<std::string>& args, std::time_t now);

// Reads "YYYYMMDDhhmmss", "YYYY-MM-DDThh:mm:ss" or "YYYY-MM-DD hh:mm:ss".
bool ParseTimestamp(const std::string& text, std::tm& out);

std::string HelpText();

}  // namespace loggersim
