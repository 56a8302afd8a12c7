// The host program's command-line and JSON helpers, which touch no window.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "Json.h"
#include "ScrollCommands.h"

using namespace host;

TEST(HostCommandLine, CommonOptionsAreTakenOnEitherSideOfTheCommandAndTheRestIsItsOwn) {
    const CommandLine line = ParseCommandLine({L"--cursor", L"-o", L"a.png", L"region", L"--shape", L"ellipse",
                                               L"--delay", L"300", L"--json", L"--output", L"b.png", L"--clipboard"});
    EXPECT_EQ(line.error, L"");
    EXPECT_EQ(line.name, L"region");
    EXPECT_EQ(line.args, (std::vector<std::wstring>{L"--shape", L"ellipse"}));
    EXPECT_TRUE(line.options.cursor && line.options.json && line.options.clipboard);
    EXPECT_EQ(line.options.delayMs, 300ul);
    EXPECT_EQ(line.options.output, L"b.png");
    // After the name a leading minus is an argument (a coordinate left of the primary monitor); before it, an error.
    EXPECT_EQ(ParseCommandLine({L"window-at", L"-1280", L"-5"}).args, (std::vector<std::wstring>{L"-1280", L"-5"}));
    for (const auto& bad : std::vector<std::vector<std::wstring>>{
             {L"-5", L"fullscreen"}, {L"fullscreen", L"--delay"}, {L"--delay", L"-1", L"fullscreen"},
             {L"--delay", L"4294967295", L"fullscreen"}, {L"-o", L"", L"fullscreen"}})
        EXPECT_NE(ParseCommandLine(bad).error, L"") << bad[0] << L" " << bad[1];
}

TEST(HostCommandLine, ScrollOptionsTurnOnOnlyTheDirectionsNamedAndRefuseAnythingElse) {
    ScrollOptions scroll;
    std::wstring why;
    EXPECT_TRUE(ParseScrollOptions({L"--vertical", L"--scroll-delay", L"0"}, &scroll, &why));
    EXPECT_TRUE(scroll.vertical && !scroll.horizontal && scroll.delayMs == 0);
    for (const auto& bad :
         std::vector<std::vector<std::wstring>>{{L"--sideways"}, {L"--scroll-delay"}, {L"--scroll-delay", L"1x"}})
        EXPECT_FALSE(ParseScrollOptions(bad, &scroll, &why)) << bad[0];
}

TEST(HostCommandLine, NumbersHandlesSizesAndAreasAreWholeWordsInRange) {
    std::uintptr_t handle = 0;
    EXPECT_TRUE(ParseHandle(L"0x1002A", &handle) && handle == 0x1002A);
    // The 16 digits the commands print come back as the same handle, although they start with 0.
    EXPECT_TRUE(ParseHandle(L"000000000001002A", &handle) && handle == 0x1002A);
    EXPECT_TRUE(ParseHandle(L"65578", &handle) && handle == 65578);
    for (const wchar_t* bad : {L"0x", L"-1", L"12a", L" 12", L"0x0x12", L""}) EXPECT_FALSE(ParseHandle(bad, &handle)) << bad;

    long long n = 0;
    EXPECT_TRUE(ParseDecimal(L"-9223372036854775808", &n) && n == INT64_MIN);
    EXPECT_FALSE(ParseDecimal(L"9223372036854775808", &n));
    int w = 0, h = 0;
    EXPECT_TRUE(ParseSize(L"640x360", &w, &h) && w == 640 && h == 360);
    for (const wchar_t* bad : {L"0x10", L"10", L"10x", L"-5x5", L"2147483648x1"}) EXPECT_FALSE(ParseSize(bad, &w, &h)) << bad;
    long x = 0, y = 0, aw = 0, ah = 0;
    EXPECT_TRUE(ParseArea(L"-1280,5,100,60", &x, &y, &aw, &ah) && x == -1280 && y == 5 && aw == 100 && ah == 60);
    for (const wchar_t* bad : {L"1,2,3", L"1,2,3,4,5", L"1,2,0,4", L"1,,3,4"}) EXPECT_FALSE(ParseArea(bad, &x, &y, &aw, &ah)) << bad;
}

TEST(HostJson, StringsAreEscapedToPlainAscii) {
    EXPECT_EQ(JsonString(L"C:\\out\\\"a\".png"), L"\"C:\\\\out\\\\\\\"a\\\".png\"");
    EXPECT_EQ(JsonString(L"tab\there\n\x01"), L"\"tab\\there\\n\\u0001\"");
    // Non-ASCII as UTF-16 escapes, a character beyond the first plane as its surrogate pair.
    EXPECT_EQ(JsonString(L"\u00E9\U0001F600\x7F"), L"\"\\u00E9\\uD83D\\uDE00\\u007F\"");
}
