#pragma once

#include <cstdlib>

namespace tarvex::test {

// Sets or removes a variable of this process's environment, as std::getenv sees it.
inline void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
}

inline void UnsetEnvironment(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, ""); // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

} // namespace tarvex::test
