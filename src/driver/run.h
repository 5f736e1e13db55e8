// The run of the program: banner, command line, the search over the mask, the scan of every
// entry found, and the writing of the outputs. Returns the exit status.
#pragma once

int Run(int argc, const char* const* argv);
