#include "core/hosts/default_hosts.h"
#include "core/hosts/hosts_loader.h"
#include "session_driver.h"

#include "fake_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using testing_support::FakePlatform;

// Splits at CR LF only, so that a stray CR or LF stays visible inside a line.
std::vector<std::string> crLfLines(std::string_view text, bool& endsWithBreak)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string_view::npos; start = end + 2)
        lines.emplace_back(text.substr(start, end - start));
    endsWithBreak = start == text.size();
    if (!endsWithBreak)
        lines.emplace_back(text.substr(start));
    return lines;
}

class DefaultHosts : public testing::Test {
protected:
    FakePlatform fake;
    std::string path = fake.hostsPath();
};

TEST_F(DefaultHosts, WritesNineteenCrLfLines)
{
    {
        testing_support::SessionDriver session(path, fake.root());
        session.apply(vendrel::planDefaultHosts(session.document));
    }
    bool endsWithBreak = false;
    const std::vector<std::string> lines = crLfLines(FakePlatform::readFile(path), endsWithBreak);
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_TRUE(endsWithBreak);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos);
        if (i < 18) {
            EXPECT_EQ(lines[i].substr(0, 1), "#");
        }
    }
    EXPECT_EQ(lines[1], "#  ");
    EXPECT_EQ(lines[13], "# For example:");
    EXPECT_EQ(lines[18], "127.0.0.1 localhost");
}

TEST_F(DefaultHosts, LoadsAsNineteenRowsRedirectingToLoopback)
{
    {
        testing_support::SessionDriver session(path, fake.root());
        session.apply(vendrel::planDefaultHosts(session.document));
    }
    const vendrel::LoadedHosts loaded = vendrel::loadHostsFile(path);
    ASSERT_EQ(loaded.rows.size(), 19u);
    EXPECT_EQ(loaded.redirectAddress, "127.0.0.1");
    EXPECT_EQ(loaded.rows.address(1), "#");
    EXPECT_EQ(loaded.rows.host(1), "");
    EXPECT_EQ(loaded.rows.address(13), "#");
    EXPECT_EQ(loaded.rows.host(13), "For example:");
    EXPECT_EQ(loaded.rows.address(18), "127.0.0.1");
    EXPECT_EQ(loaded.rows.host(18), "localhost");
    for (std::size_t row = 0; row < 18; ++row)
        EXPECT_EQ(loaded.rows.address(row), "#") << "row " << row;
}

} // namespace
