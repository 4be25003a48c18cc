// Service addresses: endpoint parsing, the build's defaults and the RELICADE_* overrides.
#include "platform/service_config.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "test_util.h"

namespace {

using rx::config::parse_endpoint;

TEST(ServiceConfig, EndpointParsing) {
    auto plain = parse_endpoint("www.example.test", 80);
    EXPECT_EQ(plain.host, "www.example.test");
    EXPECT_EQ(plain.port, 80);
    EXPECT_EQ(plain.authority(), "www.example.test");

    auto with_port = parse_endpoint("127.0.0.1:40123", 80);
    EXPECT_EQ(with_port.host, "127.0.0.1");
    EXPECT_EQ(with_port.port, 40123);
    EXPECT_EQ(with_port.authority(), "127.0.0.1:40123");

    EXPECT_EQ(parse_endpoint(" host:81 ", 80).authority(), "host:81");
    // Ports that are not 1..65535 in digits fall back to the default, keeping the host.
    for (const char* bad : {"host:", "host:0", "host:65536", "host:8o", "host:-1", "host:123456"}) {
        auto e = parse_endpoint(bad, 8080);
        EXPECT_EQ(e.host, "host") << bad;
        EXPECT_EQ(e.port, 8080) << bad;
    }
    EXPECT_EQ(parse_endpoint("host:80", 8080).authority(), "host");
}

class ServiceConfigEnv : public testing::Test {
  protected:
    rx::test::env_guard web{"RELICADE_WEB_HOST"}, catalogue{"RELICADE_CATALOGUE_HOST"},
        social{"RELICADE_SOCIAL_HOST"}, emulator{"RELICADE_EMULATOR_HOST"},
        game{"RELICADE_GAME_PORT"}, fallback{"RELICADE_FALLBACK_ADDRESS"};
    void SetUp() override {
        for (const char* v :
             {"RELICADE_WEB_HOST", "RELICADE_CATALOGUE_HOST", "RELICADE_SOCIAL_HOST",
              "RELICADE_EMULATOR_HOST", "RELICADE_GAME_PORT", "RELICADE_FALLBACK_ADDRESS"}) {
            rx::platform::set_environment(v, nullptr);
        }
    }
};

TEST_F(ServiceConfigEnv, DefaultsAreTheBuildNames) {
    EXPECT_EQ(rx::config::web_host().authority(), parse_endpoint(RX_WEB_HOST, 80).authority());
    EXPECT_EQ(rx::config::web_host().port, parse_endpoint(RX_WEB_HOST, 80).port);
    EXPECT_EQ(rx::config::catalogue_host().authority(),
              parse_endpoint(RX_CATALOGUE_HOST, 80).authority());
    EXPECT_EQ(rx::config::social_host().authority(),
              parse_endpoint(RX_SOCIAL_HOST, 80).authority());
    EXPECT_EQ(rx::config::emulator_host(), RX_EMULATOR_HOST);
    EXPECT_EQ(rx::config::game_port(), 11001);
    EXPECT_EQ(rx::config::fallback_address(), RX_FALLBACK_ADDRESS);
    EXPECT_EQ(rx::config::web_site(), RX_WEB_SITE);
}

TEST_F(ServiceConfigEnv, EnvironmentOverridesEachSetting) {
    rx::platform::set_environment("RELICADE_WEB_HOST", "127.0.0.1:41001");
    rx::platform::set_environment("RELICADE_CATALOGUE_HOST", "localhost:41002");
    rx::platform::set_environment("RELICADE_SOCIAL_HOST", "social.test");
    rx::platform::set_environment("RELICADE_EMULATOR_HOST", "127.0.0.1");
    rx::platform::set_environment("RELICADE_GAME_PORT", "41003");
    rx::platform::set_environment("RELICADE_FALLBACK_ADDRESS", "10.0.0.7");
    EXPECT_EQ(rx::config::web_host().host, "127.0.0.1");
    EXPECT_EQ(rx::config::web_host().port, 41001);
    EXPECT_EQ(rx::config::catalogue_host().authority(), "localhost:41002");
    EXPECT_EQ(rx::config::social_host().authority(), "social.test");
    EXPECT_EQ(rx::config::social_host().port, 80);
    EXPECT_EQ(rx::config::emulator_host(), "127.0.0.1");
    EXPECT_EQ(rx::config::game_port(), 41003);
    EXPECT_EQ(rx::config::fallback_address(), "10.0.0.7");
}

TEST_F(ServiceConfigEnv, UnusableOverridesFallBackToDefaults) {
    rx::platform::set_environment("RELICADE_WEB_HOST", "  ");
    rx::platform::set_environment("RELICADE_GAME_PORT", "eleven");
    rx::platform::set_environment("RELICADE_FALLBACK_ADDRESS", "not.an.address");
    EXPECT_EQ(rx::config::web_host().authority(), parse_endpoint(RX_WEB_HOST, 80).authority());
    EXPECT_EQ(rx::config::game_port(), 11001);
    EXPECT_EQ(rx::config::fallback_address(), RX_FALLBACK_ADDRESS);
    rx::platform::set_environment("RELICADE_GAME_PORT", "70000");
    EXPECT_EQ(rx::config::game_port(), 11001);
    rx::platform::set_environment("RELICADE_FALLBACK_ADDRESS", "1.2.3.256");
    EXPECT_EQ(rx::config::fallback_address(), RX_FALLBACK_ADDRESS);
}

}  // namespace
