// The preset texts are the product: any slip of a maintainer's hand, or a checkout that
// converted their line ends, must show up here.
#include "camera_preset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace zvk {
namespace {

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t end; (end = text.find("\r\n")) != std::string_view::npos;) {
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

struct ExpectedPreset {
    const char* caption;
    const char* confirmation;
    std::size_t size;
    // FNV-1a of the whole text: any changed byte changes it, so a reformatted value ("77.00"
    // for "77", "0.992" for ".992"), a moved separator or a lost line end cannot pass.
    std::uint64_t fingerprint;
    int blankLinesAfterLow;
};

const ExpectedPreset kExpected[] = {
    {"ZVK Mode", "ZVK Mode. Done!", 2735, 0x9095e94957d415ecull, 3},
    {"Car Mode", "Car Mode. Done!", 2711, 0xd420cd7020019af7ull, 4},
    {"Zoom Mode", "Zoom Mode. Done!", 2734, 0x68bbafcd49cdbec5ull, 3},
};

const char* const kSectionOrder[] = {"master",    "high",        "low",         "bumper",    "bird",
                                     "high-2plr", "low-2plr",    "bumper-2plr", "bird-2plr", "high-2ptb",
                                     "low-2ptb",  "bumper-2ptb", "bird-2ptb",   "jump",      "matrix"};

TEST(PresetTexts, CaptionsSizesAndFingerprints) {
    const PresetTable& table = ThePresetTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(kExpected[i].caption);
        EXPECT_EQ(table[i].caption, kExpected[i].caption);
        EXPECT_EQ(table[i].confirmation, kExpected[i].confirmation);
        EXPECT_EQ(table[i].fileText.size(), kExpected[i].size);
        EXPECT_EQ(Fnv1a(table[i].fileText), kExpected[i].fingerprint);
    }
}

TEST(PresetTexts, AreAsciiLinesEndingInCrLf) {
    for (const CameraPreset& preset : ThePresetTable()) {
        SCOPED_TRACE(std::string(preset.caption));
        const std::string_view text = preset.fileText;
        int crlf = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "lone CR at " << i;
                ++crlf;
                ++i;
            } else {
                ASSERT_TRUE(c >= 0x20 && c < 0x7f) << "byte " << int(c) << " at " << i;
            }
        }
        EXPECT_EQ(crlf, 182);
        EXPECT_EQ(text.substr(0, 10), "[master]\r\n");
        ASSERT_GE(text.size(), 25u);
        EXPECT_EQ(text.substr(text.size() - 24), "\r\nMatrixArmVectorZ=5.5\r\n");
        EXPECT_NE(text[text.size() - 25], '\n') << "blank line before the last one";
        for (const std::string& line : Lines(text)) {
            EXPECT_TRUE(line.empty() || line.back() != ' ') << "trailing space: " << line;
        }
    }
}

// Header, keys, then blank lines: two after each section, more after `low`, none at the end.
TEST(PresetTexts, SectionsInOrderWithTheirBlankLines) {
    for (std::size_t p = 0; p < ThePresetTable().size(); ++p) {
        SCOPED_TRACE(kExpected[p].caption);
        std::vector<std::string> headers;
        std::vector<int> blanksAfter;
        std::string previous;
        for (const std::string& line : Lines(ThePresetTable()[p].fileText)) {
            const bool previousIsBlank = previous.empty();
            if (!line.empty() && line.front() == '[') {
                ASSERT_TRUE(previousIsBlank) << "no blank line before " << line;
                headers.push_back(line.substr(1, line.size() - 2));
                blanksAfter.push_back(0);
            } else if (line.empty()) {
                ASSERT_FALSE(headers.empty()) << "blank line before the first section";
                ASSERT_TRUE(previous.empty() || previous.front() != '[') << "blank line after " << previous;
                ++blanksAfter.back();
            } else {
                ASSERT_FALSE(previousIsBlank) << "key line after a blank line: " << line;
            }
            previous = line;
        }
        ASSERT_EQ(headers.size(), std::size(kSectionOrder));
        for (std::size_t i = 0; i < headers.size(); ++i) {
            EXPECT_EQ(headers[i], kSectionOrder[i]);
            const int expected = headers[i] == "low" ? kExpected[p].blankLinesAfterLow : headers[i] == "matrix" ? 0 : 2;
            EXPECT_EQ(blanksAfter[i], expected) << "after [" << headers[i] << "]";
        }
    }
}

// Car Mode and Zoom Mode are the base text with a few lines changed, and nothing else.
TEST(PresetTexts, DifferFromTheBaseTextOnlyAsListed) {
    using Change = std::tuple<std::string, std::string, std::string>;  // section, base, preset
    const std::vector<Change> carMode = {
        {"low", "ArmLength=4.79", "ArmLength=2.8"},
        {"low", "ArmHeight=1.245", "ArmHeight=1.092"},
        {"low", "Pitch=0.9589", "Pitch=0.983"},
        {"low", "AccSpring=3.000", "AccSpring=2.000"},
        {"low", "DeAccSpring=7.000", "DeAccSpring=4.000"},
        {"low", "DeAccDamper=7.000", "DeAccDamper=4.000"},
        {"low", "FOV=77", "FOV=77.00"},
        {"low", "RotationTension=0.71", ""},
        {"bird", "ArmLength = 14.00", "ArmLength=5.77"},
        {"bird", "ArmHeight = 3.75", "ArmHeight=1.215"},
        {"bird", "YawOutTension=10", "YawOutTension=20"},
        {"bird", "Pitch = 1.009", "Pitch = .986"},
    };
    const std::vector<Change> zoomMode = {
        {"master", "SpeedEnhancement = 0", "SpeedEnhancement = 1"},
        {"master", "LookBackTarget = 0", "LookBackTarget = 1"},
        {"high", "ArmHeight=1.215", "ArmHeight=2.00"},
    };
    const std::vector<std::string> base = Lines(ThePresetTable()[0].fileText);
    for (const auto& [index, expected] : {std::pair{1, carMode}, std::pair{2, zoomMode}}) {
        SCOPED_TRACE(std::string(ThePresetTable()[index].caption));
        const std::vector<std::string> preset = Lines(ThePresetTable()[index].fileText);
        ASSERT_EQ(preset.size(), base.size());
        std::vector<Change> changes;
        std::string section;
        for (std::size_t i = 0; i < base.size(); ++i) {
            if (!base[i].empty() && base[i].front() == '[') section = base[i].substr(1, base[i].size() - 2);
            if (base[i] != preset[i]) changes.emplace_back(section, base[i], preset[i]);
        }
        EXPECT_EQ(changes, expected);
    }
}

}  // namespace
}  // namespace zvk
