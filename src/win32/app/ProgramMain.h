#pragma once

namespace vm {

// The program from start to end: the command line's text after the program name in,
// the process exit code out.
int ProgramMain(const char* commandLine);

}  // namespace vm
