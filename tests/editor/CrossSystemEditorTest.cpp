// The Windows module's editor against this system's: the directory named by
// QEV_DLL_EDITOR_CAPTURES holds what the DLL's editor window showed under Wine, one BMP per editor
// state (editor_dll_tests writes them); each must equal the editor of the same state drawn here
// without a window, pixel for pixel, outside the menus' text boxes. Each capture is also written
// beside itself as a PNG, for people to compare the text by eye.
#include "tests/editor/EditorCaptures.h"
#include "tests/editor/EditorPicture.h"

#include <gtest/gtest.h>

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
