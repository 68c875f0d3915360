#pragma once

namespace hp::shell {

// Parses the command line, builds the seams and runs the program.
int runApplication(int argc, char* argv[]);

} // namespace hp::shell
