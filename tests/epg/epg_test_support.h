#pragma once
// Helpers shared by the EPG tests: temporary folders, file writing and the
// folders holding the real and the misbehaving decoder modules.

#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

// The folder of the real EpgDataCap2.so.
inline std::string RealModuleDir() { return std::string(PLIMOD_BINARY_DIR) + "/bin/"; }
// A folder holding a deliberately broken EpgDataCap2.so ("missing_export",
// "failing_init").
inline std::string FakeModuleDir(const std::string& name) {
  return std::string(EPG_FAKE_MODULES_DIR) + "/" + name + "/";
}

}  // namespace plimod::test
