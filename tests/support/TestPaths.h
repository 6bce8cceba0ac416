// Paths of the source tree and of the built programs, as the build passes them in.
#pragma once

namespace testpaths {
inline const char* sourceDir() { return TV_SOURCE_DIR; }
#ifdef TV_SIM_PATH
inline const char* simulator() { return TV_SIM_PATH; }
#endif
#ifdef TV_CLI_PATH
inline const char* cli() { return TV_CLI_PATH; }
#endif
#ifdef TV_GUI_PATH
inline const char* gui() { return TV_GUI_PATH; }
#endif
}  // namespace testpaths
