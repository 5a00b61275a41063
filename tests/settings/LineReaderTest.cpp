#include "settings/LineReader.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

void PrintTo(const LinesCase& c, std::ostream* os)
{
    *os << c.name;
}

const LinesCase kLinesCases[] = {
    {"Empty", "", {}},
    {"OneLineWithoutTerminator", "a", {"a"}},
    {"CrLf", "a\r\nb\r\n", {"a", "b"}},
    {"LfCr", "a\n\rb", {"a", "b"}},
    {"LoneCr", "a\rb", {"a", "b"}},
    {"LoneLf", "a\nb", {"a", "b"}},
    {"EmptyLineBetweenCrLfs", "a\r\n\r\nb", {"a", "", "b"}},
    {"TwoLfsAreTwoTerminators", "a\n\nb", {"a", "", "b"}},
    {"TwoCrsAreTwoTerminators", "a\r\rb", {"a", "", "b"}},
    {"LfCrThenLf", "a\n\r\n", {"a", ""}},
    {"AllFourMixed", "a\r\nb\n\rc\rd\ne", {"a", "b", "c", "d", "e"}},
    {"OnlyATerminator", "\n", {""}},
    {"NulEndsTheText", std::string("a\nb\0c\nd", 7), {"a", "b"}},
    {"SpacesAndTabsKept", " a\t \n", {" a\t "}},
};

class LineReaderTest : public testing::TestWithParam<LinesCase> {};

TEST_P(LineReaderTest, ReadsEveryLineThenStops)
{
    const LinesCase& c = GetParam();
    CLineReader reader(c.text.c_str());
    MyCString line("left over");
    std::vector<std::string> lines;
    while (reader.ReadLine(line))
        lines.emplace_back(line.c_str(), line.GetLength());
    EXPECT_EQ(c.lines, lines);
    EXPECT_FALSE(reader.ReadLine(line)) << "the end stays the end";
}

INSTANTIATE_TEST_SUITE_P(Texts, LineReaderTest, testing::ValuesIn(kLinesCases),
                         [](const testing::TestParamInfo<LinesCase>& info) { return info.param.name; });

TEST(LineReaderNullTest, NullTextHasNoLine)
{
    CLineReader reader(nullptr);
    MyCString line;
    EXPECT_FALSE(reader.ReadLine(line));
}

}  // namespace
