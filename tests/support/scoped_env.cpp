#include "tests/support/scoped_env.h"

#include <cstdlib>

namespace plimod::test {
namespace {

void SetOrUnset(const std::string& name, const char* value) {
  if (value) {
    ::setenv(name.c_str(), value, 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  SetOrUnset(name_, value);
}

ScopedEnv::~ScopedEnv() { SetOrUnset(name_, old_ ? old_->c_str() : nullptr); }

}  // namespace plimod::test
