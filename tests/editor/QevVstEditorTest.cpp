// The plug-in's editor without a window system: its layout, the values its controls show for
// every value a host may send, the way user changes reach the host, and setParameter from
// another thread while the window thread opens, idles and closes.
#include <gtest/gtest.h>

#include "tests/editor/EditorPicture.h"
#include "tests/editor/EditorTestKit.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <random>
#include <thread>

namespace editortest
{
namespace
{

using toolkit::CAnimKnob;
using toolkit::COptionMenu;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

class QevVstEditorTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        plugin.reset();
        EXPECT_EQ(qev::platform::gdiCounts().alive, gdiAlive) << "GDI objects left alive";
    }
    void open() { ASSERT_TRUE(editor()->open(nullptr)); }
    QevVstEditor* editor() { return editorOf(*plugin); }
    AEffect* record() { return plugin->getAeffect(); }
    std::string shownEntry(COptionMenu* menu)
    {
        char text[256] = {};
        menu->getCurrent(text);
        return text;
    }

    FakeHost host;
    const long gdiAlive = qev::platform::gdiCounts().alive; // counted before the plug-in exists
    std::unique_ptr<QevVst> plugin = std::make_unique<QevVst>(&FakeHost::callback);
};

struct KnobRow
{
    int32_t tag;
    int32_t left;
};

class KnobLayout : public QevVstEditorTest, public ::testing::WithParamInterface<KnobRow>
{
};

TEST_P(KnobLayout, EachKnobSitsInItsPlaceShowingItsParameterOnAStripOf80Frames)
{
    const KnobRow row = GetParam();
    plugin->setParameter(row.tag, 0.375f);
    open();
    CAnimKnob* knob = editor()->knobFor(row.tag);
    ASSERT_NE(knob, nullptr);
    CRect size;
    EXPECT_EQ(knob->getViewSize(size), CRect(row.left, 26, row.left + 49, 75));
    EXPECT_EQ(knob->getTag(), row.tag);
    EXPECT_EQ(knob->getValue(), 0.375f);
    EXPECT_TRUE(knob->getTransparency());
    EXPECT_EQ(knob->frameOffsetFor(0.0f), 0);
    EXPECT_EQ(knob->frameOffsetFor(1.0f), 79 * 49);
    EXPECT_EQ(knob->getFrame(), editor()->getFrame());
}

// In the order they are made: SPEED, LO-FREQ, HI-FRQ, WIDTH, FEEDBACK, DRY / WET, VOLUME.
INSTANTIATE_TEST_SUITE_P(SevenKnobs, KnobLayout,
                         ::testing::Values(KnobRow{1, 27}, KnobRow{3, 91}, KnobRow{4, 154},
                                           KnobRow{5, 221}, KnobRow{7, 286}, KnobRow{8, 378},
                                           KnobRow{9, 442}));

TEST_F(QevVstEditorTest, TheSizeComesFromTheBackgroundBeforeAnyOpenAndTheFrameHoldsNineControls)
{
    ERect* rect = nullptr;
    EXPECT_EQ(record()->dispatcher(record(), effEditGetRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ((std::array<int, 4>{rect->top, rect->left, rect->bottom, rect->right}),
              (std::array<int, 4>{0, 0, 166, 521}));
    EXPECT_EQ(record()->flags & effFlagsHasEditor, effFlagsHasEditor);
    editor()->setKnobMode(0);
    open();
    EXPECT_EQ(AEffGUIEditor::moduleKnobMode(), 2);
    toolkit::CFrame* frame = editor()->getFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getNbViews(), 9);
    CRect size;
    EXPECT_EQ(frame->getViewSize(size), CRect(0, 0, 521, 166));
    ASSERT_NE(frame->getBackground(), nullptr);
    EXPECT_EQ(frame->getBackground()->getWidth(), 521);
    // The menus come last, STAGE before SYNC.
    EXPECT_EQ(frame->getView(7), editor()->stageMenuControl());
    EXPECT_EQ(frame->getView(8), editor()->syncMenuControl());
}

struct MenuRow
{
    int32_t tag;
    CRect size;
    std::vector<std::string> entries;
};

class MenuLayout : public QevVstEditorTest, public ::testing::WithParamInterface<MenuRow>
{
};

TEST_P(MenuLayout, EachMenuHasItsPlaceEntriesAndColours)
{
    const MenuRow& row = GetParam();
    open();
    COptionMenu* menu = row.tag == 2 ? editor()->syncMenuControl() : editor()->stageMenuControl();
    ASSERT_NE(menu, nullptr);
    CRect size;
    EXPECT_EQ(menu->getViewSize(size), row.size);
    EXPECT_EQ(menu->getTag(), row.tag);
    EXPECT_EQ(menu->getStyle(), 0);
    EXPECT_EQ(menu->getBackground(), nullptr);
    ASSERT_EQ(menu->getNbEntries(), static_cast<int32_t>(row.entries.size()));
    for (int32_t i = 0; i < menu->getNbEntries(); ++i)
    {
        char text[256] = {};
        menu->getEntry(i, text);
        EXPECT_EQ(text, row.entries[i]) << "entry " << i;
    }
    const CColor grey{120, 120, 120, 255};
    const CColor blue{18, 31, 122, 255};
    EXPECT_EQ(menu->getFontColor(), grey);
    EXPECT_EQ(menu->getBackColor(), blue);
    toolkit::COptionMenuScheme* scheme = menu->getScheme();
    ASSERT_NE(scheme, nullptr);
    EXPECT_EQ(scheme->getBackgroundColor(), blue);
    EXPECT_EQ(scheme->getSelectionColor(), (CColor{25, 25, 25, 255}));
    EXPECT_EQ(scheme->getTextColor(), grey);
    EXPECT_EQ(scheme->getHiliteTextColor(), toolkit::kWhiteCColor);
    EXPECT_EQ(scheme->getDisableTextColor(), blue);
}

INSTANTIATE_TEST_SUITE_P(SyncAndStage, MenuLayout,
                         ::testing::Values(MenuRow{2,
                                                   CRect(26, 106, 76, 122),
                                                   {"man", "1/16", "1/8", "1/4", "1/2", "1/1",
                                                    "2/1", "1/16T", "1/8T", "1/4T", "1/2T", "1/1T",
                                                    "2/1T"}},
                                           MenuRow{6, CRect(122, 106, 172, 122), {"2", "4", "6"}}));

struct ShownEntry
{
    int32_t tag;
    float value;
    const char* shown;
};

class MenuValues : public QevVstEditorTest, public ::testing::WithParamInterface<ShownEntry>
{
};

// A value the menu has no entry for shows the entry the engine runs; the plug-in keeps the value.
TEST_P(MenuValues, AMenuShowsTheEntryTheEngineRunsAtOpenAndAtEveryIdle)
{
    const ShownEntry row = GetParam();
    plugin->setParameter(row.tag, row.value);
    open();
    COptionMenu* menu = row.tag == 2 ? editor()->syncMenuControl() : editor()->stageMenuControl();
    EXPECT_EQ(shownEntry(menu), row.shown);
    for (int i = 0; i < 3; ++i)
    {
        editor()->idle();
        EXPECT_EQ(shownEntry(menu), row.shown) << "idle " << i;
    }
    const float kept = plugin->getParameter(row.tag);
    EXPECT_TRUE(kept == row.value || (std::isnan(kept) && std::isnan(row.value)));

    // A change from the host shows as well.
    plugin->setParameter(row.tag, 0.0f);
    editor()->idle();
    EXPECT_EQ(menu->getCurrent(), 0);
    plugin->setParameter(row.tag, row.value);
    editor()->idle();
    EXPECT_EQ(shownEntry(menu), row.shown);
}

INSTANTIATE_TEST_SUITE_P(EveryKindOfValue, MenuValues,
                         ::testing::Values(ShownEntry{2, 12.0f, "2/1T"},
                                           ShownEntry{2, 13.0f, "2/1T"},
                                           ShownEntry{2, 1e9f, "2/1T"},
                                           ShownEntry{2, kInfinity, "2/1T"},
                                           ShownEntry{2, 2.0f, "1/8"}, ShownEntry{2, 2.9f, "1/8"},
                                           ShownEntry{2, 0.99f, "man"}, ShownEntry{2, -3.0f, "man"},
                                           ShownEntry{2, kNaN, "man"}, ShownEntry{6, 1.0f, "4"},
                                           ShownEntry{6, 0.5f, "4"}, ShownEntry{6, 1.99f, "4"},
                                           ShownEntry{6, 2.0f, "6"}, ShownEntry{6, 3.0f, "6"},
                                           ShownEntry{6, kInfinity, "6"}, ShownEntry{6, 0.0f, "2"},
                                           ShownEntry{6, -0.5f, "2"}, ShownEntry{6, kNaN, "2"}));

TEST_F(QevVstEditorTest, AUserChangeReachesThePluginAndTheHostOnceAndMarksTheControl)
{
    open();
    CAnimKnob* knob = editor()->knobFor(7);
    knob->setValue(0.625f);
    knob->setDirty(false);
    host.requests.clear();
    editor()->valueChanged(nullptr, knob);
    EXPECT_EQ(plugin->getParameter(7), 0.625f);
    ASSERT_EQ(requestsOf(host, audioMasterAutomate), 1);
    EXPECT_EQ(host.requests.back().index, 7);
    EXPECT_EQ(host.requests.back().opt, 0.625f);
    EXPECT_TRUE(knob->isDirty());

    // A menu sends its entry index.
    COptionMenu* sync = editor()->syncMenuControl();
    sync->setValue(2.0f);
    editor()->valueChanged(nullptr, sync);
    EXPECT_EQ(plugin->getParameter(2), 2.0f);
    EXPECT_EQ(host.requests.back().opt, 2.0f);

    // Tags that are no parameter are not sent.
    for (int32_t tag : {23, 1000, -1})
    {
        knob->setTag(tag);
        editor()->valueChanged(nullptr, knob);
    }
    EXPECT_EQ(requestsOf(host, audioMasterAutomate), 2);
}

TEST_F(QevVstEditorTest, ParametersWithoutAControlAndChangesWhileClosedAreReadAfreshAtOpen)
{
    plugin->setParameter(1, 0.25f);
    open();
    editor()->close();
    EXPECT_EQ(editor()->getFrame(), nullptr);
    EXPECT_EQ(editor()->knobFor(1), nullptr);
    EXPECT_EQ(editor()->syncMenuControl(), nullptr);
    EXPECT_EQ(editor()->stageMenuControl(), nullptr);
    plugin->setParameter(1, 0.75f);
    plugin->setParameter(6, 2.0f);
    open();
    EXPECT_EQ(editor()->knobFor(1)->getValue(), 0.75f);
    EXPECT_EQ(editor()->stageMenuControl()->getCurrent(), 2);

    std::vector<float> before;
    for (int32_t tag = 1; tag <= 9; ++tag)
        if (CAnimKnob* knob = editor()->knobFor(tag))
            before.push_back(knob->getValue());
    for (int32_t index : {0, 10, 15, 22, 23, -1})
        editor()->setParameter(index, 0.5f);
    editor()->idle();
    std::vector<float> after;
    for (int32_t tag = 1; tag <= 9; ++tag)
        if (CAnimKnob* knob = editor()->knobFor(tag))
            after.push_back(knob->getValue());
    EXPECT_EQ(after, before);
}

// Program switches and chunks change every value without setParameter: the open editor shows
// the new values at the next idle all the same.
TEST_F(QevVstEditorTest, AProgramSwitchOrALoadedChunkShowsInTheOpenEditor)
{
    open();
    const auto showsPlugin = [&]
    {
        editor()->idle();
        std::vector<float> shown;
        for (int32_t tag = 1; tag <= 9; ++tag)
            if (CAnimKnob* knob = editor()->knobFor(tag))
            {
                EXPECT_EQ(knob->getValue(), plugin->getParameter(tag)) << "knob " << tag;
                shown.push_back(knob->getValue());
            }
        EXPECT_EQ(editor()->syncMenuControl()->getCurrent(),
                  static_cast<int32_t>(plugin->getParameter(2)));
        return shown;
    };
    const std::vector<float> first = showsPlugin();
    plugin->setProgram(9);
    EXPECT_NE(showsPlugin(), first) << "programs 0 and 9 should differ in some knob";

    void* chunk = nullptr;
    const VstInt32 size = plugin->getChunk(&chunk, true);
    std::vector<char> preset(static_cast<const char*>(chunk),
                             static_cast<const char*>(chunk) + size);
    plugin->setProgram(1);
    showsPlugin();
    ASSERT_EQ(plugin->setChunk(preset.data(), size, true), 1);
    showsPlugin();
}

// A host that destroys the plug-in with its editor open, or opens twice, leaves nothing behind.
TEST_F(QevVstEditorTest, OpeningTwiceAndDestroyingWhileOpenLeaveNoPictureOrFrameBehind)
{
    open();
    const long oneOpen = qev::platform::gdiCounts().alive;
    open();
    EXPECT_EQ(qev::platform::gdiCounts().alive, oneOpen);
    EXPECT_EQ(editor()->knobFor(9)->getFrame(), editor()->getFrame());
    plugin.reset(); // TearDown counts what is left
}

// The host sets parameters from its automation thread while the window thread opens, idles and
// closes the editor: nothing freed is touched (the sanitizers watch), and once the thread stops,
// one idle shows the last value of each knob, whenever it came.
TEST_F(QevVstEditorTest, SetParameterFromAnotherThreadWhileTheWindowOpensAndClosesLosesNothing)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::atomic<bool> stop{false};
    ParameterValues last{};
    std::thread automation(
        [&]
        {
            std::mt19937 random(seed);
            std::uniform_real_distribution<float> value(0.0f, 1.0f);
            while (!stop.load())
                for (int32_t index = 0; index < qev::kNumParams; ++index)
                {
                    last[index] = value(random);
                    plugin->setParameter(index, last[index]);
                }
        });
    for (int i = 0; i < 200; ++i)
    {
        open();
        editor()->idle();
        if (i % 2 == 0)
            editor()->close();
    }
    stop.store(true);
    automation.join();
    editor()->idle();
    for (int32_t tag = 1; tag <= 9; ++tag)
    {
        if (CAnimKnob* knob = editor()->knobFor(tag))
        {
            EXPECT_EQ(knob->getValue(), last[tag]) << "parameter " << tag;
        }
    }
}

} // namespace
} // namespace editortest
