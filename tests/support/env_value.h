#pragma once
// Sets (or, with null, unsets) an environment variable for the life of the
// object, and puts the old value back afterwards.
#include <cstdlib>
#include <optional>
#include <string>

namespace tarnix::test {

class EnvValue {
 public:
  EnvValue(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvValue() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }
  EnvValue(const EnvValue&) = delete;
  EnvValue& operator=(const EnvValue&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace tarnix::test
