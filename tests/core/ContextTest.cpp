// The built-in logger and text provider, the text callback reset and the serial-link factory (the
// log callback and the attribute are tested through the table, tests/api).
#include <gtest/gtest.h>

#include <string>

#include "core/Context.hpp"

namespace devlib_instr {
namespace {

std::string consoleOutput(int32_t level, const char16_t* text) {
    testing::internal::CaptureStdout();
    consoleLogger(level, reinterpret_cast<const InstrWChar*>(text), nullptr);
    return testing::internal::GetCapturedStdout();
}

TEST(Context, ConsoleLoggerPrefixesUtf8AndIgnoresUnknownLevels) {
    EXPECT_EQ(consoleOutput(0, u"a"), "DEBUG: a\n");
    EXPECT_EQ(consoleOutput(2, u"\u00E4"), "WARN: \xC3\xA4\n");
    EXPECT_EQ(consoleOutput(3, u"e"), "ERROR: e\n");
    EXPECT_EQ(consoleOutput(4, u"dropped"), "");
    EXPECT_EQ(consoleOutput(-1, u"dropped"), "");
}

TEST(Context, BuiltinTextProviderCutsToTheBuffer) {
    InstrWChar buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(builtinTextProvider(0, 99, buffer, 7), 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), u"Unable");
    EXPECT_EQ(buffer[7], 1);  // nothing written past the given length
    InstrWChar whole[64];
    EXPECT_EQ(builtinTextProvider(0, 0, whole, 64), 1);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(whole)), u"Unable to connect to serial device.");
    EXPECT_EQ(builtinTextProvider(1, 0, whole, 64), 0);
    EXPECT_EQ(builtinTextProvider(0, 0, whole, 0), 0);
}

TEST(Context, TextCallbackResetRestoresBuiltin) {
    Context context;
    int user = 0;
    context.setTextCallback([](uint32_t, uint32_t, InstrWChar*, uint32_t) -> int32_t { return 0; }, &user);
    EXPECT_EQ(context.textUserData(), &user);
    context.setTextCallback(nullptr, &user);
    EXPECT_EQ(context.textCallback(), &builtinTextProvider);
    EXPECT_EQ(context.textUserData(), nullptr);
}

TEST(Context, HostFactoryIsInstalledAndRemoved) {
    auto* context = new Context;
    addRef(context);
    auto* host = reinterpret_cast<InstrContext*>(static_cast<HandleBase*>(context));
    EXPECT_EQ(context->uartInterfaceFactory(), nullptr);
    struct NoLinks : AbstractUartInterfaceFactory {
        AbstractUartInterface* create(const std::string&) override { return nullptr; }
    } mine;
    SetUARTInterfaceFactory(host, &mine);
    EXPECT_EQ(context->uartInterfaceFactory(), &mine);
    uint32_t garbage[16] = {};
    SetUARTInterfaceFactory(reinterpret_cast<InstrContext*>(garbage), nullptr);  // ignored
    SetUARTInterfaceFactory(nullptr, nullptr);
    EXPECT_EQ(context->uartInterfaceFactory(), &mine);
    SetUARTInterfaceFactory(host, nullptr);
    EXPECT_EQ(context->uartInterfaceFactory(), nullptr);
    EXPECT_EQ(release(context), 0);
}

}  // namespace
}  // namespace devlib_instr
