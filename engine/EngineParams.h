#pragma once

#include <array>
#include <atomic>

namespace qev
{

// Parameter numbers, shared by the engine, the plug-in's parameter slots, the program records
// and the editor's control tags. Slots 0 and 10..22 are stored but not read by the engine.
enum ParamIndex : int
{
    kParamSpeed = 1,     // 0..1, free LFO rate 6*v^3 Hz
    kParamSyncSpeed = 2, // whole numbers 0..12, 0 = free running
    kParamLoFreq = 3,    // 0..1, one end of the sweep
    kParamHiFreq = 4,    // 0..1, the other end of the sweep
    kParamPhase = 5,     // 0..1, left LFO ahead of the right by 127*v phase units
    kParamType = 6,      // whole numbers 0..2, stages beyond the first
    kParamFeedback = 7,  // 0..1
    kParamDryWet = 8,    // 0..1, wet share
    kParamVolume = 9,    // 0..1, output gain 2*v^2
};

constexpr int kNumParams = 23;

// The SYNC_SPEED entry the engine runs, 0 (free) to 12: whole parts of 1 and above, 12 for
// everything beyond; below 1, NaN included, is free running.
constexpr int kLastSyncEntry = 12;
inline int syncEntryOf(float syncSpeed)
{
    if (!(syncSpeed >= 1.0f))
        return 0;
    return syncSpeed < static_cast<float>(kLastSyncEntry) ? static_cast<int>(syncSpeed)
                                                          : kLastSyncEntry;
}

// The stages the engine runs beyond the first for a TYPE value, counted by comparison (no
// conversion to int): above 0 one more, 2 and above two more; NaN none.
constexpr int kMaxExtraStages = 2;
inline int extraStagesOf(float type)
{
    return type >= 2.0f ? kMaxExtraStages : (type > 0.0f ? 1 : 0);
}

// The live parameter values: 23 floats indexed by parameter number, all 0.0 when created.
// One thread writes (the plug-in's setParameter), the audio thread reads every frame. Each
// value is a relaxed atomic float: written and read whole, never torn, no lock, and on x86-64
// a plain 32-bit load or store. Out-of-range indices read 0.0 and are not written.
class EngineParams
{
public:
    EngineParams()
    {
        for (auto& v : values)
            v.store(0.0f, std::memory_order_relaxed);
    }
    EngineParams(const EngineParams&) = delete;
    EngineParams& operator=(const EngineParams&) = delete;

    float get(int index) const
    {
        return isValid(index) ? values[index].load(std::memory_order_relaxed) : 0.0f;
    }
    void set(int index, float value)
    {
        if (isValid(index))
            values[index].store(value, std::memory_order_relaxed);
    }
    // Stores value and answers the value it replaced, as one step: a concurrent set() lands
    // wholly before or wholly after it. Out-of-range indices answer 0.0.
    float exchange(int index, float value)
    {
        return isValid(index) ? values[index].exchange(value, std::memory_order_relaxed) : 0.0f;
    }
    static constexpr bool isValid(int index) { return index >= 0 && index < kNumParams; }

private:
    std::array<std::atomic<float>, kNumParams> values;
};

static_assert(std::atomic<float>::is_always_lock_free, "parameters must be lock-free");

} // namespace qev
