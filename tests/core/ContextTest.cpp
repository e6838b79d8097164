// The context's callbacks and attribute, and the built-in logger and text provider.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Context.hpp"

namespace devlib_instr {
namespace {

struct LogLine {
    int32_t level;
    std::u16string text;
    void* user;
};

void collect(int32_t level, const InstrWChar* text, void* user) {
    static_cast<std::vector<LogLine>*>(user)->push_back(
        {level, reinterpret_cast<const char16_t*>(text), user});
}

std::string consoleOutput(int32_t level, const char16_t* text) {
    testing::internal::CaptureStdout();
    consoleLogger(level, reinterpret_cast<const InstrWChar*>(text), nullptr);
    return testing::internal::GetCapturedStdout();
}

TEST(Context, LogGoesToTheInstalledCallbackUntilReset) {
    Context context;
    std::vector<LogLine> lines;
    context.setLogCallback(&collect, &lines);
    context.log(LogLevel::Warn, u"low battery");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].text, u"low battery");
    context.setLogCallback(nullptr, &lines);  // back to the console; the user data is not kept
    testing::internal::CaptureStdout();
    context.log(LogLevel::Info, u"x");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "INFO: x\n");
    EXPECT_EQ(lines.size(), 1u);
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

struct AttributeCase {
    uint32_t attribute;
    uint32_t size;
    uint32_t code;  // 0: accepted
    std::u16string message;
};

class ContextAttribute : public testing::TestWithParam<AttributeCase> {};

TEST_P(ContextAttribute, SetsOrRejects) {
    const AttributeCase& c = GetParam();
    Context context;
    std::vector<LogLine> lines;
    context.setLogCallback(&collect, &lines);
    const char16_t value[2] = {u',', 0};
    try {
        context.setAttribute(c.attribute, value, c.size);
        EXPECT_EQ(c.code, 0u);
        EXPECT_EQ(context.decimalSeparator(), u',');
    } catch (const Error& e) {
        EXPECT_EQ(e.category, 0u);
        EXPECT_EQ(e.code, c.code);
        EXPECT_EQ(e.message, c.message);
        EXPECT_EQ(context.decimalSeparator(), u'.');
    }
    bool logged = c.code == 17;
    ASSERT_EQ(lines.size(), logged ? 1u : 0u);
    if (logged) {
        EXPECT_EQ(lines[0].level, 0);
        EXPECT_EQ(lines[0].text, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ContextAttribute,
                         testing::Values(AttributeCase{0, 2, 0, u""},
                                         AttributeCase{0, 4, 1, u"Wrong decimal separator in the container"},
                                         AttributeCase{0, 1, 1, u"Wrong decimal separator in the container"},
                                         AttributeCase{1, 2, 17, u"Unknown attribute for context: 1"},
                                         AttributeCase{4294967295u, 2, 17, u"Unknown attribute for context: -1"}));

TEST(Context, FactoryDefaultsAndInstalls) {
    auto* context = new Context;
    addRef(context);
    auto* host = reinterpret_cast<InstrContext*>(static_cast<HandleBase*>(context));
    AbstractUartInterfaceFactory* fallback = context->uartInterfaceFactory();
    EXPECT_EQ(fallback, &defaultUartInterfaceFactory());
    struct NoLinks : AbstractUartInterfaceFactory {
        AbstractUartInterface* create(const std::string&) override { return nullptr; }
    } mine;
    SetUARTInterfaceFactory(host, &mine);
    EXPECT_EQ(context->uartInterfaceFactory(), &mine);
    SetUARTInterfaceFactory(host, nullptr);
    EXPECT_EQ(context->uartInterfaceFactory(), fallback);
    uint32_t garbage[16] = {};
    SetUARTInterfaceFactory(reinterpret_cast<InstrContext*>(garbage), &mine);  // ignored
    SetUARTInterfaceFactory(nullptr, &mine);
    EXPECT_EQ(context->uartInterfaceFactory(), fallback);
    EXPECT_EQ(release(context), 0);
}

}  // namespace
}  // namespace devlib_instr
