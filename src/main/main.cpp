// Program entry: everything lives in the engine library.
#include "frontend/commandloop.h"

int main(int argc, char** argv) { return halberd::frontend::runProgram(argc, argv); }
