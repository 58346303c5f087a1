// The head buffers kept between analyses: callers at once never share one, and no more than
// kKeptHeadBuffers stay allocated however many were in use together.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "formats/head_buffer_pool.h"

namespace kub {
namespace {

TEST(HeadBufferPoolTest, CallersAtOnceGetTheirOwnAndAFewAreKept) {
    std::set<const std::uint8_t*> seen;
    {
        std::vector<std::unique_ptr<HeadBuffer>> at_once;
        for (int i = 0; i < 5; ++i) {
            at_once.push_back(std::make_unique<HeadBuffer>());
            EXPECT_TRUE(seen.insert(at_once.back()->data()).second) << "buffer " << i << " shared";
        }
    }
    EXPECT_EQ(kept_head_buffers(), kKeptHeadBuffers);
    // The next callers take the kept buffers; writing a whole one stays inside it (ASan).
    HeadBuffer first;
    EXPECT_EQ(seen.count(first.data()), 1u);
    EXPECT_EQ(kept_head_buffers(), kKeptHeadBuffers - 1);
    std::fill(first.data(), first.data() + (1 << 20), std::uint8_t{0xA5});
}

}  // namespace
}  // namespace kub
