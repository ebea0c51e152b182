#include "editor/QevVstEditor.h"

#include "plugin/AudioEffect.h"
#include "toolkit/CAnimKnob.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenu.h"
#include "toolkit/COptionMenuScheme.h"

using toolkit::CAnimKnob;
using toolkit::CBitmap;
using toolkit::CColor;
using toolkit::CFrame;
using toolkit::COptionMenu;
using toolkit::COptionMenuScheme;
using toolkit::CPoint;
using toolkit::CRect;

namespace
{

constexpr int32_t kKnobTop = 26;
constexpr int32_t kLinearKnobMode = 2;

const CColor kMenuText{120, 120, 120, 255};
const CColor kMenuBack{18, 31, 122, 255};
const CColor kMenuSelection{25, 25, 25, 255};
const CColor kMenuHighlightedText{255, 255, 255, 255};
const CColor kMenuDisabledText{18, 31, 122, 255};

const CRect kSyncMenuSize{26, 106, 26 + 50, 106 + 16};
const CRect kStageMenuSize{122, 106, 122 + 50, 106 + 16};

const char* const kSyncEntries[] = {"man",   "1/16", "1/8",  "1/4",  "1/2",  "1/1", "2/1",
                                    "1/16T", "1/8T", "1/4T", "1/2T", "1/1T", "2/1T"};
const char* const kStageEntries[] = {"2", "4", "6"};
constexpr int32_t kSyncCount = sizeof(kSyncEntries) / sizeof(kSyncEntries[0]);
constexpr int32_t kStageCount = sizeof(kStageEntries) / sizeof(kStageEntries[0]);
static_assert(kSyncCount == qev::kLastSyncEntry + 1, "one SYNC entry per engine entry");
static_assert(kStageCount == qev::kMaxExtraStages + 1, "one STAGE entry per stage count");

bool isParameter(int32_t index)
{
    return index >= 0 && index < qev::kNumParams;
}

uint32_t bitOf(int32_t index)
{
    return uint32_t{1} << index;
}

void forgetAndClear(CBitmap*& bitmap)
{
    if (bitmap)
        bitmap->forget();
    bitmap = nullptr;
}

} // namespace

QevVstEditor::QevVstEditor(AudioEffect* effect) : AEffGUIEditor(effect)
{
    for (auto& value : storedValues)
        value.store(0.0f, std::memory_order_relaxed);
    background = new CBitmap(kBackgroundBitmap);
    rect = ERect{0, 0, static_cast<VstInt16>(background->getHeight()),
                 static_cast<VstInt16>(background->getWidth())};
}

QevVstEditor::~QevVstEditor()
{
    close();
}

bool QevVstEditor::open(void* ptr)
{
    AEffGUIEditor::open(ptr);
    // Values stored from now on reach the controls at the next idle; those stored before are
    // read below with all the others.
    changedParameters.exchange(0, std::memory_order_acquire);

    forgetAndClear(background);
    background = new CBitmap(kBackgroundBitmap);
    knobImage = new CBitmap(kKnobStripBitmap);
    knobImage->setTransparentColor(toolkit::kBlackCColor);

    auto* made =
        new CFrame(CRect(0, 0, background->getWidth(), background->getHeight()), ptr, this);
    made->setBackground(background);

    speedKnob = makeKnob(27, qev::kParamSpeed);
    loFreqKnob = makeKnob(91, qev::kParamLoFreq);
    hiFreqKnob = makeKnob(154, qev::kParamHiFreq);
    widthKnob = makeKnob(221, qev::kParamPhase);
    feedbackKnob = makeKnob(286, qev::kParamFeedback);
    dryWetKnob = makeKnob(378, qev::kParamDryWet);
    volumeKnob = makeKnob(442, qev::kParamVolume);
    for (CAnimKnob* knob :
         {speedKnob, loFreqKnob, hiFreqKnob, widthKnob, feedbackKnob, dryWetKnob, volumeKnob})
        made->addView(knob);

    stageMenu = makeMenu(kStageMenuSize, qev::kParamType, kStageEntries, kStageCount);
    made->addView(stageMenu);
    syncMenu = makeMenu(kSyncMenuSize, qev::kParamSyncSpeed, kSyncEntries, kSyncCount);
    made->addView(syncMenu);

    setKnobMode(kLinearKnobMode);
    frame = made;
    return true;
}

CAnimKnob* QevVstEditor::makeKnob(int32_t left, int32_t tag)
{
    const CRect size(left, kKnobTop, left + knobImage->getWidth(), kKnobTop + kKnobHeight);
    auto* knob = new CAnimKnob(size, this, tag, kKnobFrames, kKnobHeight, knobImage, CPoint(0, 0));
    knob->setTransparency(true);
    knob->setValue(parameterValue(tag));
    return knob;
}

COptionMenu* QevVstEditor::makeMenu(const CRect& size, int32_t tag, const char* const* entries,
                                    int32_t count)
{
    auto* scheme = new COptionMenuScheme();
    scheme->setColors(kMenuBack, kMenuSelection, kMenuText, kMenuHighlightedText,
                      kMenuDisabledText);
    auto* menu = new COptionMenu(size, this, tag, nullptr, nullptr, 0);
    menu->setFontColor(kMenuText);
    menu->setBackColor(kMenuBack);
    menu->setScheme(scheme);
    scheme->forget(); // the menu holds it from here and lets go of it with itself
    for (int32_t i = 0; i < count; ++i)
        menu->addEntry(entries[i]);
    menu->setCurrent(menuEntryFor(tag, parameterValue(tag)), true);
    return menu;
}

void QevVstEditor::close()
{
    if (CFrame* open = frame)
    {
        frame = nullptr;
        open->forget();
    }
    speedKnob = loFreqKnob = hiFreqKnob = feedbackKnob = widthKnob = volumeKnob = dryWetKnob =
        nullptr;
    stageMenu = syncMenu = nullptr;
    releaseBitmaps();
    AEffGUIEditor::close();
}

void QevVstEditor::releaseBitmaps()
{
    forgetAndClear(background);
    forgetAndClear(knobImage);
}

void QevVstEditor::idle()
{
    if (frame && !inIdleStuff)
    {
        applyStoredValues();
        syncMenu->setValue(static_cast<float>(
            menuEntryFor(qev::kParamSyncSpeed, parameterValue(qev::kParamSyncSpeed))));
        stageMenu->setValue(
            static_cast<float>(menuEntryFor(qev::kParamType, parameterValue(qev::kParamType))));
    }
    // Last: the window's messages handled there may close the editor, or destroy it.
    AEffGUIEditor::idle();
}

void QevVstEditor::applyStoredValues()
{
    uint32_t changed = changedParameters.exchange(0, std::memory_order_acquire);
    for (int32_t index = 0; changed != 0; ++index, changed >>= 1)
        if ((changed & 1) != 0)
            if (CAnimKnob* knob = knobFor(index))
                knob->setValue(storedValues[index].load(std::memory_order_relaxed));
}

void QevVstEditor::setParameter(VstInt32 index, float value)
{
    if (!isParameter(index))
        return;
    storedValues[index].store(value, std::memory_order_relaxed);
    changedParameters.fetch_or(bitOf(index), std::memory_order_release);
}

void QevVstEditor::valueChanged(toolkit::CDrawContext*, toolkit::CControl* control)
{
    const int32_t tag = control->getTag();
    if (!isParameter(tag) || !effect)
        return;
    effect->setParameterAutomated(tag, control->getValue());
    control->setDirty(true);
}

int32_t QevVstEditor::menuEntryFor(int32_t tag, float value)
{
    if (tag == qev::kParamSyncSpeed)
        return qev::syncEntryOf(value);
    if (tag == qev::kParamType)
        return qev::extraStagesOf(value);
    return -1;
}

CAnimKnob* QevVstEditor::knobFor(int32_t tag) const
{
    switch (tag)
    {
    case qev::kParamSpeed:
        return speedKnob;
    case qev::kParamLoFreq:
        return loFreqKnob;
    case qev::kParamHiFreq:
        return hiFreqKnob;
    case qev::kParamPhase:
        return widthKnob;
    case qev::kParamFeedback:
        return feedbackKnob;
    case qev::kParamDryWet:
        return dryWetKnob;
    case qev::kParamVolume:
        return volumeKnob;
    default:
        return nullptr;
    }
}

float QevVstEditor::parameterValue(int32_t index) const
{
    return effect ? effect->getParameter(index)
                  : storedValues[index].load(std::memory_order_relaxed);
}
