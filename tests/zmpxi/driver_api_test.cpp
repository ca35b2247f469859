#include "support/fake_driver.h"

#include "zmpxi/driver_api.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// clang-format off
#define EACH_ENTRY_POINT(X)                                                                        \
    X(ZaMoDriverInit) X(ZaMoDriverDeInit) X(ZaMoGetParam_i32) X(ZaMoSetParam_i32)                  \
    X(ZaMoGetParam_i64) X(ZaMoSetParam_i64) X(ZaMoSetParamStruct_str) X(ZaMoGetParamStruct_str)    \
    X(ZaMoGetParamStruct_strLEN) X(ZaMoSetParamXML_str) X(ZaMoGetParamXML_str) X(ZaMoOpenCAN)      \
    X(ZaMoCloseCAN) X(ZaMoGetChannelPropCAN) X(ZaMoSetChannelPropCAN) X(ZaMoStartCAN)              \
    X(ZaMoStopCAN) X(ZaMoReadCAN) X(ZaMoReadCANRawFrame) X(ZaMoWriteCAN) X(ZaMoErrorCntCAN)        \
    X(ZaMoOpenDmaUart) X(ZaMoCloseDmaUart) X(ZaMoGetChannelPropDmaUart)                            \
    X(ZaMoSetChannelPropDmaUart) X(ZaMoStartDmaUart) X(ZaMoStopDmaUart) X(ZaMoReadDmaUart)         \
    X(ZaMoReadDmaUartRawFrame) X(ZaMoWriteDmaUart) X(ZaMoErrorConstantToString)                    \
    X(ZaMoGetParamXML_strLEN) X(ZaMoFreeFramesCAN) X(ZaMoFreeDmaUartRawFrame)
// clang-format on

std::vector<std::string> resolvedNames()
{
    const z2e::DriverEntryPoints& fn = z2e::driverApi().fn;
    std::vector<std::string> names;
#define COLLECT(name)                                                                                                  \
    if (fn.name)                                                                                                       \
        names.push_back(#name);
    EACH_ENTRY_POINT(COLLECT)
#undef COLLECT
    return names;
}

// Entry points whose pointer is not the library's own export of that name.
std::vector<std::string> misresolvedNames(void* library)
{
    const z2e::DriverEntryPoints& fn = z2e::driverApi().fn;
    std::vector<std::string> names;
#define COMPARE(name)                                                                                                  \
    if (fn.name && reinterpret_cast<void*>(fn.name) != dlsym(library, #name))                                          \
        names.push_back(#name);
    EACH_ENTRY_POINT(COMPARE)
#undef COMPARE
    return names;
}

// Where the doubles were built; the binding itself finds them by plain name.
std::string fakePath(const char* file)
{
    return (std::filesystem::path(z2e::test::fakeDriverPath()).parent_path() / file).string();
}

bool isMapped(const char* file)
{
    void* handle = dlopen(fakePath(file).c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        dlclose(handle);
    }
    return handle != nullptr;
}

// Our own reference to a driver double: keeps it mapped and counts its calls.
struct FakeDriver {
    explicit FakeDriver(const char* file) : handle(dlopen(fakePath(file).c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        if (handle) {
            state = reinterpret_cast<FakeDriverState* (*)()>(dlsym(handle, "fakeDriverState"))();
            state->reset();
        }
    }
    ~FakeDriver()
    {
        if (handle) {
            dlclose(handle);
        }
    }
    FakeDriver(const FakeDriver&) = delete;
    FakeDriver& operator=(const FakeDriver&) = delete;

    std::size_t calls(const char* name) const { return state->callsNamed(name).size(); }

    void* handle;
    FakeDriverState* state = nullptr;
};

int g_strayDeInitCalls = 0;
std::int32_t strayDeInit()
{
    ++g_strayDeInitCalls;
    return 0;
}

class DriverApiTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        z2e::unloadDriverApi();
        z2e::setDriverLibraryPath("");
    }

    static void expectUnloaded()
    {
        EXPECT_EQ(z2e::driverApi().loadLevel, 0);
        EXPECT_EQ(z2e::driverApi().handle, nullptr);
        EXPECT_TRUE(resolvedNames().empty());
    }
};

TEST_F(DriverApiTest, CompleteDriverReachesLevelFourAndUnloadsOnce)
{
    FakeDriver fake(ZMPXI_FAKE);
    ASSERT_NE(fake.state, nullptr) << dlerror();
    z2e::setDriverLibraryPath(ZMPXI_FAKE);

    ASSERT_EQ(z2e::loadDriverApi(), 4) << z2e::lastDriverLoadError();
    EXPECT_EQ(z2e::driverApi().handle, fake.handle);
    EXPECT_EQ(resolvedNames().size(), 34u);
    EXPECT_TRUE(misresolvedNames(fake.handle).empty());
    EXPECT_TRUE(z2e::lastDriverLoadError().empty());

    // Already loaded: the other library is not even opened.
    z2e::setDriverLibraryPath(ZMPXI_FAKE_LEVEL1);
    EXPECT_EQ(z2e::loadDriverApi(), 4);
    EXPECT_EQ(z2e::driverApi().handle, fake.handle);
    EXPECT_FALSE(isMapped(ZMPXI_FAKE_LEVEL1));

    // Initialising is the local node's business, never the binding's.
    EXPECT_EQ(fake.calls("DriverInit"), 0u);
    EXPECT_EQ(fake.calls("DriverDeInit"), 0u);
    z2e::unloadDriverApi();
    EXPECT_EQ(fake.calls("DriverDeInit"), 1u);
    expectUnloaded();
    z2e::unloadDriverApi();
    EXPECT_EQ(fake.calls("DriverDeInit"), 1u);
}

TEST_F(DriverApiTest, OptionalEntryPointsStopAtTheFirstMissing)
{
    struct Case {
        const char* file;
        std::int32_t level;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {ZMPXI_FAKE_LEVEL3, 3, {"ZaMoFreeDmaUartRawFrame"}},
        {ZMPXI_FAKE_LEVEL2, 2, {"ZaMoFreeFramesCAN", "ZaMoFreeDmaUartRawFrame"}},
        {ZMPXI_FAKE_LEVEL1, 1, {"ZaMoGetParamXML_strLEN", "ZaMoFreeFramesCAN", "ZaMoFreeDmaUartRawFrame"}},
    };
    // A refused driver before leaves no error text behind.
    z2e::setDriverLibraryPath(ZMPXI_FAKE_NO_CHANPROP);
    ASSERT_EQ(z2e::loadDriverApi(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        FakeDriver fake(c.file);
        ASSERT_NE(fake.handle, nullptr) << dlerror();
        // Only the first absent one is missing from the double; the binding must still leave
        // the later ones alone.
        ASSERT_EQ(dlsym(fake.handle, c.absent.front().c_str()), nullptr);
        for (std::size_t i = 1; i < c.absent.size(); ++i) {
            ASSERT_NE(dlsym(fake.handle, c.absent[i].c_str()), nullptr) << c.absent[i];
        }
        z2e::setDriverLibraryPath(c.file);

        EXPECT_EQ(z2e::loadDriverApi(), c.level);
        EXPECT_TRUE(z2e::lastDriverLoadError().empty());
        const std::vector<std::string> names = resolvedNames();
        EXPECT_EQ(names.size(), 34u - c.absent.size());
        for (const std::string& absent : c.absent) {
            EXPECT_EQ(std::count(names.begin(), names.end(), absent), 0) << absent;
        }
        EXPECT_TRUE(misresolvedNames(fake.handle).empty());
        z2e::unloadDriverApi();
        EXPECT_EQ(fake.calls("DriverDeInit"), 1u);
    }
}

TEST_F(DriverApiTest, MissingRequiredEntryPointRefusesTheDriver)
{
    FakeDriver fake(ZMPXI_FAKE_NO_CHANPROP);
    ASSERT_NE(fake.state, nullptr) << dlerror();
    z2e::setDriverLibraryPath(ZMPXI_FAKE_NO_CHANPROP);

    // Never called by the program, yet part of the required set.
    EXPECT_EQ(z2e::loadDriverApi(), 0);
    expectUnloaded();
    EXPECT_NE(z2e::lastDriverLoadError().find("ZaMoGetChannelPropCAN"), std::string::npos);
    z2e::unloadDriverApi();
    EXPECT_EQ(fake.calls("DriverInit"), 0u);
    EXPECT_EQ(fake.calls("DriverDeInit"), 0u);
}

TEST_F(DriverApiTest, EveryRequiredNameIsLookedUpAfterAMiss)
{
    z2e::setDriverLibraryPath(ZMPXI_FAKE_NO_ENDS);
    EXPECT_EQ(z2e::loadDriverApi(), 0);
    expectUnloaded();
    EXPECT_FALSE(isMapped(ZMPXI_FAKE_NO_ENDS)) << "a refused library is released";
    const std::string error = z2e::lastDriverLoadError();
    EXPECT_NE(error.find("ZaMoDriverInit"), std::string::npos) << error;
    EXPECT_NE(error.find("ZaMoErrorConstantToString"), std::string::npos) << error;
    EXPECT_EQ(error.find("ZaMoDriverDeInit"), std::string::npos) << error;
}

// A stray pointer left in the table is neither called nor kept.
TEST_F(DriverApiTest, NothingLoadedOrAMissingLibraryLeavesNothingLoaded)
{
    z2e::driverApi().fn.ZaMoDriverDeInit = &strayDeInit;
    z2e::unloadDriverApi();
    EXPECT_EQ(g_strayDeInitCalls, 0);
    expectUnloaded();

    z2e::driverApi().fn.ZaMoDriverDeInit = &strayDeInit;
    z2e::setDriverLibraryPath("libzmpxi_fake_absent.so");
    EXPECT_EQ(z2e::loadDriverApi(), 0);
    expectUnloaded();
    EXPECT_FALSE(z2e::lastDriverLoadError().empty());
}

TEST_F(DriverApiTest, LibraryIsReleasedOnUnload)
{
    z2e::setDriverLibraryPath(ZMPXI_FAKE);
    ASSERT_EQ(z2e::loadDriverApi(), 4);
    EXPECT_TRUE(isMapped(ZMPXI_FAKE));
    z2e::unloadDriverApi();
    EXPECT_FALSE(isMapped(ZMPXI_FAKE));
}

} // namespace
