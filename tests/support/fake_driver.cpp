#include "support/fake_driver.h"

#include <dlfcn.h>

#include <stdexcept>

namespace z2e::test {

std::string fakeDriverPath()
{
    return ZMPXI_FAKE_DRIVER;
}

FakeDriverState& fakeDriver()
{
    static FakeDriverState* state = [] {
        void* handle = ::dlopen(ZMPXI_FAKE_DRIVER, RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            throw std::runtime_error(::dlerror());
        return reinterpret_cast<FakeDriverState* (*)()>(::dlsym(handle, "fakeDriverState"))();
    }();
    return *state;
}

} // namespace z2e::test
