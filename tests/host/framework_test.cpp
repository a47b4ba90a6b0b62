// The framework's allocator and developer log.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "host/alloc.h"
#include "host/clock.h"
#include "host/files.h"
#include "host/log.h"

namespace tamori::host {
namespace {

TEST(Allocator, CountsBlocksAndBytes) {
  AllocatorCounts before = ruvo_allocator_counts();
  void* block = ruvo_malloc(100);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(ruvo_allocator_counts().allocations, before.allocations + 1);
  EXPECT_EQ(ruvo_allocator_counts().bytes_in_use, before.bytes_in_use + 100);
  ruvo_free(block);
  EXPECT_EQ(ruvo_allocator_counts().frees, before.frees + 1);
  EXPECT_EQ(ruvo_allocator_counts().bytes_in_use, before.bytes_in_use);
}

TEST(Allocator, ZeroedBlocksHaveSixteenSpareBytes) {
  auto* block = static_cast<uint8_t*>(ruvo_calloc(10));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 26; i++) EXPECT_EQ(block[i], 0) << i;
  ruvo_free(block);
}

TEST(Allocator, RefusesHugeRequests) { EXPECT_EQ(ruvo_malloc(kLargestRequest + 1), nullptr); }

TEST(Allocator, ReallocKeepsTheContents) {
  auto* block = static_cast<char*>(ruvo_malloc(4));
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(ruvo_realloc(block, 1000));
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block, "abc");
  ruvo_free(block);
}

TEST(Allocator, ForeignBlockIsReportedAndNotFreed) {
  // A block the allocator did not hand out: its "header" carries no tag.
  alignas(8) uint8_t fake[32] = {};
  AllocatorCounts before = ruvo_allocator_counts();
  testing::internal::CaptureStdout();
  ruvo_free(fake + 8);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "ruvo_free fail 0 0\n");
  EXPECT_EQ(ruvo_allocator_counts().frees, before.frees);
}

class DeveloperLog : public ::testing::Test {
 protected:
  void SetUp() override {
    ruvo_set_clock(virtual_clock(&time));
    path = (std::filesystem::temp_directory_path() / ("tamori_log_" + std::to_string(::getpid()))).string();
    ruvo_log_open(path, "");
  }
  void TearDown() override {
    ruvo_log_close();
    ruvo_set_clock(system_clock());
    std::filesystem::remove(path);
  }
  std::string written() {
    auto bytes = read_file(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
  }
  VirtualTime time;
  std::string path;
};

TEST_F(DeveloperLog, PrefixesTimeAndIndentsNestedLines) {
  time.now_ms = 1234;
  ruvo_log(">outer\n");
  ruvo_log("inner %d\n", 7);
  ruvo_log("<");
  ruvo_log("back\n");
  ruvo_log("partial ");
  ruvo_log("line\n");
  EXPECT_EQ(written(), "[001234] outer\n[001234]   inner 7\n[001234] back\n[001234] partial line\n");
}

TEST_F(DeveloperLog, OverlongLinesAreReplaced) {
  ruvo_log("%s\n", std::string(901, 'x').c_str());
  EXPECT_EQ(written(), "[000000] [debug string too long!]\n");
}

}  // namespace
}  // namespace tamori::host
