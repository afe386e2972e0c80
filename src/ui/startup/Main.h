// Start-up: the settings, the command line, the main frame, then its font lists.
#pragma once

namespace quillora {

// Runs the program: a batch run when the command line names an output file, the desktop program
// otherwise. Returns the process's exit status.
int Main(int argc, char** argv);

}  // namespace quillora
