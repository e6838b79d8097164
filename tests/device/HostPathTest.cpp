// The directory of the running program, as the platform reports it.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ModulePath.hpp"
#include "core/TextConversion.hpp"

namespace devlib_instr {
namespace {

TEST(HostExecutableDirectory, IsTheDirectoryOfThisTestProgram) {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(toUtf8(hostExecutableDirectory()), self.parent_path().string());
}

}  // namespace
}  // namespace devlib_instr
