#include "app/program.h"

int main(int argc, char** argv) { return plimod::RunProgram(argc, argv); }
