// Measures the largest magnitudes the engine's internal state reaches in normal operation:
// every factory setting and random in-range settings, driven by full-scale white noise and a
// full-scale sine sweep, free-running and tempo-synced, at sample rates 22050..192000 Hz.
// Prints one line per sample rate and a summary, and the guard's margin over the largest.
//
// Usage: engine_survey [seconds per run, default 4] [random settings, default 40]
#include "engine/FactorySettings.h"
#include "engine/StereoPhaser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace
{

struct Peaks
{
    float sectionOutput = 0.0f; // |y1| + |y2| of every stage: what the runaway guard watches
    float stageOutput = 0.0f;   // |feedback1 + feedback2|
    float output = 0.0f;        // |output sample|
    bool finite = true;

    void merge(const Peaks& other)
    {
        sectionOutput = std::max(sectionOutput, other.sectionOutput);
        stageOutput = std::max(stageOutput, other.stageOutput);
        output = std::max(output, other.output);
        finite = finite && other.finite;
    }
};

void notePeaks(const qev::ChannelPhaser& channel, Peaks& peaks)
{
    for (const qev::PhaserStage* s :
         {channel.stage1.get(), channel.stage2.get(), channel.stage3.get()})
    {
        peaks.sectionOutput = std::max(peaks.sectionOutput, std::abs(s->y1) + std::abs(s->y2));
        peaks.stageOutput = std::max(peaks.stageOutput, std::abs(s->feedback1 + s->feedback2));
    }
}

Peaks run(float sampleRate, const float (&values)[9], float syncSpeed, float tempo, bool sweep,
          float seconds, unsigned seed)
{
    qev::EngineParams params;
    for (int i = 0; i < 9; ++i)
        params.set(i + 1, values[i]);
    params.set(qev::kParamSyncSpeed, syncSpeed);
    qev::StereoPhaser engine(sampleRate, params);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    const long frames = static_cast<long>(sampleRate * seconds);
    double sinePhase = 0.0;
    Peaks peaks;
    for (long n = 0; n < frames; ++n)
    {
        float left, right;
        if (sweep)
        {
            // 20 Hz to 20 kHz, exponential, over the run.
            const double hz = 20.0 * std::pow(1000.0, static_cast<double>(n) / frames);
            sinePhase += 2.0 * M_PI * hz / sampleRate;
            left = right = static_cast<float>(std::sin(sinePhase));
        }
        else
        {
            left = noise(rng);
            right = noise(rng);
        }
        engine.step(left, right, tempo);
        peaks.output = std::max({peaks.output, std::abs(left), std::abs(right)});
        notePeaks(*engine.left, peaks);
        notePeaks(*engine.right, peaks);
        if (!std::isfinite(left) || !std::isfinite(right))
        {
            peaks.finite = false;
            break;
        }
    }
    return peaks;
}

} // namespace

int main(int argc, char** argv)
{
    const float seconds = argc > 1 ? std::strtof(argv[1], nullptr) : 4.0f;
    const int randomSettings = argc > 2 ? std::atoi(argv[2]) : 40;
    const float rates[] = {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f};
    const float tempos[] = {60.0f, 120.0f, 240.0f};

    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);

    Peaks overall;
    for (float rate : rates)
    {
        Peaks perRate;
        unsigned seed = 1;
        auto measure = [&](const float(&values)[9])
        {
            for (bool sweep : {false, true})
            {
                perRate.merge(run(rate, values, 0.0f, 120.0f, sweep, seconds, seed++));
                for (float tempo : tempos)
                    for (int sync = 1; sync <= 12; ++sync)
                        perRate.merge(run(rate, values, static_cast<float>(sync), tempo, sweep,
                                          seconds / 4, seed++));
            }
        };
        for (const auto& setting : qev::kFactorySettings)
            measure(setting.values);
        for (int i = 0; i < randomSettings; ++i)
        {
            float values[9];
            for (float& v : values)
                v = unit(rng);
            values[1] = 0.0f;
            values[5] = static_cast<float>(static_cast<int>(unit(rng) * 3.0f));
            measure(values);
        }
        std::printf("%6.0f Hz: section %10.3f  stage %10.3f  output %8.3f  %s\n", rate,
                    perRate.sectionOutput, perRate.stageOutput, perRate.output,
                    perRate.finite ? "finite" : "NON-FINITE");
        overall.merge(perRate);
    }
    std::printf("all: section %.3f stage %.3f output %.3f\n", overall.sectionOutput,
                overall.stageOutput, overall.output);
    std::printf("runaway limit %.0f: %.1f dB above the largest section level\n",
                qev::PhaserStage::kRunawayLimit,
                20.0 * std::log10(qev::PhaserStage::kRunawayLimit / overall.sectionOutput));
    return overall.finite ? 0 : 1;
}
