#include <gtest/gtest.h>

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "console/lineread.h"
#include "console/textstreams.h"

namespace mg {
namespace {

TEST(ConsoleOutBufTest, WritesInStretchesOf128AndServicesAfterEach) {
  std::vector<std::string> writes;
  int services = 0;
  ConsoleOutBuf buf([&](const char* s, uint16_t n) { writes.emplace_back(s, n); },
                    [&] { ++services; });
  std::ostream out(&buf);
  out << std::string(300, 'a');
  out.flush();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].size(), 128u);
  EXPECT_EQ(writes[1].size(), 128u);
  EXPECT_EQ(writes[2].size(), 44u);
  EXPECT_EQ(services, 3);
  out.flush();  // nothing buffered: nothing written
  EXPECT_EQ(writes.size(), 3u);
}

TEST(ConsoleInBufTest, A130CharacterLineKeepsTheFirst126) {
  std::string typed;
  for (int i = 0; i < 130; ++i) typed += static_cast<char>('a' + i % 26);
  size_t next = 0;
  std::string echo;
  ConsoleInBuf buf([&](char* buffer, int size) {
    return ReadLineFrom(
        buffer, size,
        [&]() -> uint8_t { return next < typed.size() ? typed[next++] : (next++, 13); },
        [&](const char* s, uint16_t n) { echo.append(s, n); });
  });
  std::istream in(&buf);
  std::string line;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, typed.substr(0, 126));
  EXPECT_EQ(echo, typed.substr(0, 126) + "\r\n");
}

TEST(ConsoleInBufTest, ReadsLineAfterLineAndNumbers) {
  const std::vector<std::string> lines = {"12 34", "", "fim"};
  size_t i = 0;
  ConsoleInBuf buf([&](char* buffer, int) {
    const std::string l = lines.at(i++) + "\r\n";
    l.copy(buffer, l.size());
    return static_cast<int>(l.size());
  });
  std::istream in(&buf);
  int a = 0, b = 0;
  in >> a >> b;
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 34);
  std::string rest, empty, last;
  std::getline(in, rest);
  std::getline(in, empty);
  std::getline(in, last);
  EXPECT_EQ(rest, "");
  EXPECT_EQ(empty, "");
  EXPECT_EQ(last, "fim");
}

}  // namespace
}  // namespace mg
