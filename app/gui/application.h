#pragma once

namespace varelo {

// Runs the program: reads the command line, builds the services, loads the
// settings and runs the event loop with the window or, with --headless,
// without one. Returns the exit status.
int ExecutaPrograma(int argc, char** argv);

}  // namespace varelo
