// The Windows module's editor against this system's: the directory named by
// QEV_DLL_EDITOR_CAPTURES holds what the DLL's editor window showed under Wine, one BMP per editor
// state (editor_dll_tests writes them); each must equal the editor of the same state drawn here
// without a window, pixel for pixel, outside the menus' text boxes, and show the menus' colours
// inside them. Each capture is also written beside itself as a PNG, for people to compare the
// text by eye.
#include "tests/editor/EditorCaptures.h"
#include "tests/editor/EditorPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace editortest
{
namespace
{

using capture::EditorState;

qev::test::Image windowlessPictureOf(const EditorState& state)
{
    QevVst plugin(&silentHost);
    for (const auto& [index, value] : state.values)
        plugin.setParameter(index, value);
    return windowlessPicture(plugin);
}

bool inTextBox(int x, int y)
{
    for (const capture::Box& box : capture::textBoxes())
        if (box.contains(x, y))
            return true;
    return false;
}

// The menus' colours: grey text on dark blue.
constexpr uint32_t kMenuBack = 0x121F7A;
constexpr uint32_t kMenuText = 0x787878;

uint32_t channel(uint32_t colour, int shift)
{
    return colour >> shift & 0xFF;
}

// The pixels of the Windows capture left out of the comparison still show the menus' entries as
// the editor draws them: nothing but the back colour, the text colour and blends of the two, some
// text in full colour, and its ink centred in the box to two pixels.
::testing::AssertionResult showsMenuText(const qev::test::Image& image, const capture::Box& box)
{
    int inked = 0, left = box.x + box.width, right = -1, top = box.y + box.height, bottom = -1;
    for (int y = box.y; y < box.y + box.height; ++y)
        for (int x = box.x; x < box.x + box.width; ++x)
        {
            const uint32_t p = image.at(x, y);
            for (int shift : {0, 8, 16})
                if (channel(p, shift) <
                        std::min(channel(kMenuBack, shift), channel(kMenuText, shift)) ||
                    channel(p, shift) >
                        std::max(channel(kMenuBack, shift), channel(kMenuText, shift)))
                {
                    char colour[8];
                    std::snprintf(colour, sizeof colour, "%06x", p);
                    return ::testing::AssertionFailure()
                           << "colour " << colour << " at (" << x << ", " << y << ")";
                }
            inked += p == kMenuText;
            if (p != kMenuBack)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
                bottom = std::max(bottom, y);
        }
    if (inked < 10)
        return ::testing::AssertionFailure() << inked << " pixels in the text colour";
    const int offX = (left + right + 1) - (2 * box.x + box.width);
    const int offY = (top + bottom + 1) - (2 * box.y + box.height);
    if (std::abs(offX) > 4 || std::abs(offY) > 4)
        return ::testing::AssertionFailure() << "ink " << left << ".." << right << " x " << top
                                             << ".." << bottom << " is off the box's centre";
    return ::testing::AssertionSuccess();
}

class CrossSystemEditor : public ::testing::TestWithParam<EditorState>
{
};

TEST_P(CrossSystemEditor, TheDllsWindowShowsTheLinuxPictureOutsideTheText)
{
    const char* directory = std::getenv("QEV_DLL_EDITOR_CAPTURES");
    ASSERT_NE(directory, nullptr) << "QEV_DLL_EDITOR_CAPTURES names no directory of captures";
    const std::string file = capture::captureFile(directory, GetParam().name);
    const capture::Picture windows = capture::readBmp(file);
    ASSERT_GT(windows.width, 0) << file << " is no capture";
    qev::test::Image captured(windows.width, windows.height);
    captured.pixels = windows.pixels;
    EXPECT_TRUE(qev::test::writePng(file.substr(0, file.size() - 4) + ".png", captured));

    const qev::test::Image expected = windowlessPictureOf(GetParam());
    ASSERT_EQ(captured.width, expected.width);
    ASSERT_EQ(captured.height, expected.height);
    long differing = 0, compared = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x)
        {
            if (inTextBox(x, y))
                continue;
            ++compared;
            if (captured.at(x, y) != expected.at(x, y) && differing++ == 0)
                firstX = x, firstY = y;
        }
    // The boxes left out are small: 2 x 48 x 14 of 521 x 166 pixels.
    EXPECT_GT(compared, expected.width * expected.height * 98L / 100);
    if (differing > 0)
        qev::test::sameImage(captured, expected, std::string("dll-editor-") + GetParam().name);
    EXPECT_EQ(differing, 0) << GetParam().name << ": first at (" << firstX << ", " << firstY
                            << "): Windows " << std::hex
                            << (firstX >= 0 ? captured.at(firstX, firstY) : 0) << ", Linux "
                            << (firstX >= 0 ? expected.at(firstX, firstY) : 0);
    for (const capture::Box& box : capture::textBoxes())
        EXPECT_TRUE(showsMenuText(captured, box)) << "text box at " << box.x << ", " << box.y;
}

INSTANTIATE_TEST_SUITE_P(States, CrossSystemEditor, ::testing::ValuesIn(capture::editorStates()),
                         [](const auto& info) { return std::string(info.param.name); });

// The states differ where their knobs and menus do: the comparison would see a wrong state.
TEST(CrossSystemEditorStates, TheStatesLookDifferentOutsideTheText)
{
    const qev::test::Image first = windowlessPictureOf(capture::editorStates()[0]);
    const qev::test::Image second = windowlessPictureOf(capture::editorStates()[1]);
    long differing = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            differing += !inTextBox(x, y) && first.at(x, y) != second.at(x, y);
    EXPECT_GT(differing, 1000);
}

} // namespace
} // namespace editortest
