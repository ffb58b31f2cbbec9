#pragma once
// Where the program finds its own files and the user's documents.

#include <string>

namespace plimod {

// The program folder with a trailing "/": the folder of /proc/self/exe, or
// the value of PLIMOD_HOME when that is set and not empty ("/" added when
// missing). Empty when neither is available.
std::wstring ProgramDir();

// The user's documents folder without a trailing "/": XDG_DOCUMENTS_DIR when
// set, else $HOME/Documents; empty when neither is available.
std::wstring DocumentsDir();

}  // namespace plimod
