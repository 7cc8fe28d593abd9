// CzechText, the native build's string table, against the texts users read
// (czech-texts.txt, UTF-8) converted to code page 1250.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <map>
#include <string>

#include "resources/resource.h"
#include "resources/texts.h"

namespace {

std::string ToCp1250(std::string utf8)
{
    iconv_t convert = iconv_open("CP1250", "UTF-8");
    std::string out(utf8.size(), '\0');
    char* in_at = &utf8[0];
    char* out_at = &out[0];
    size_t in_left = utf8.size(), out_left = out.size();
    size_t done = iconv(convert, &in_at, &in_left, &out_at, &out_left);
    iconv_close(convert);
    EXPECT_NE(done, size_t(-1)) << utf8;
    out.resize(out.size() - out_left);
    return out;
}

// id -> text, with "\n" turned into line breaks.
std::map<int, std::string> ExpectedTexts()
{
    std::map<int, std::string> texts;
    std::ifstream in(ROZBAL_SOURCE_DIR "/tests/shell/czech-texts.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t blank = line.find(' ');
        std::string text = line.substr(blank + 1);
        for (size_t at; (at = text.find("\\n")) != std::string::npos;)
            text.replace(at, 2, "\n");
        texts[std::stoi(line.substr(0, blank))] = ToCp1250(text);
    }
    return texts;
}

TEST(CzechText, EveryMessageInCodePage1250)
{
    std::map<int, std::string> texts = ExpectedTexts();
    ASSERT_EQ(texts.size(), 6u);
    for (const auto& [id, text] : texts) {
        ASSERT_NE(CzechText(id), nullptr) << id;
        EXPECT_EQ(CzechText(id), text) << id;
    }
}

TEST(CzechText, NoOtherIds)
{
    for (int id : {-1, 0, 1, IDS_BAD_PASSWORD + 1, IDD_PROGRESS, 65535})
        EXPECT_EQ(CzechText(id), nullptr) << id;
}

}  // namespace
