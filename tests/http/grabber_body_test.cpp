// The in-memory body of a transfer never takes more room than its limit,
// however the bytes arrive.

#include "core/download/url_grabber.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Pieces of 1025 bytes, as the transfer delivers them, each with its own fill byte.
std::string piece(std::size_t index, std::size_t size = 1025)
{
    return std::string(size, static_cast<char>('a' + index % 26));
}

TEST(GrabberBody, GrowsUpToItsLimitAndNoFurther)
{
    const std::uint64_t limit = (std::uint64_t{3} << 20) + 12345;
    vendrel::GrabberBody body(limit);
    std::string expected;
    std::size_t index = 0;
    while (body.append(piece(index))) {
        expected += piece(index++);
        ASSERT_LE(body.capacity(), limit) << "after " << body.size() << " bytes";
    }
    EXPECT_EQ(body.size(), expected.size()) << "a refused piece is not kept";
    EXPECT_GT(body.size() + 1025, limit);

    const std::size_t room = static_cast<std::size_t>(limit) - body.size();
    EXPECT_TRUE(body.append(piece(index, room))) << "a piece that just fits is kept";
    expected += piece(index, room);
    EXPECT_FALSE(body.append("x"));
    EXPECT_EQ(body.size(), limit);
    EXPECT_LE(body.capacity(), limit);
    EXPECT_EQ(body.bytes(), expected);
}

TEST(GrabberBody, AnAnnouncedLengthIsReservedUpToTheLimit)
{
    vendrel::GrabberBody body(200000);
    body.expect(100000);
    EXPECT_EQ(body.capacity(), 100000u);
    body.expect(std::uint64_t{1} << 40);
    EXPECT_EQ(body.capacity(), 200000u) << "a server's length claim costs no more than the limit";
}

} // namespace
